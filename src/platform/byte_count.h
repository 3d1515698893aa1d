#pragma once

// A sum of byte counts that does not wrap. The lengths of one folder's files can add up
// past 2^64 (five sparse files of 4 EiB on tmpfs), and a tree's again; 128 bits hold
// more than any file system can.
__extension__ using ByteCount = unsigned __int128;

