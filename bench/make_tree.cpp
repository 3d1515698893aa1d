// Makes the benchmark's synthetic folder tree: 29,730 folders three levels deep
// (30 × 30 × 32 below the top), ten files in each, 297,300 files in all. File sizes
// come from a fixed pseudo-random sequence, so every run makes the same tree; the files
// are sparse and take no disk. With --flat N, one folder of N empty files instead; with
// --siblings N, one folder of N empty folders; with --chain N, a chain of folders N
// deep, named "d", made one below the other from held descriptors (no path is ever
// longer than a name), with a file of 7 bytes at the bottom.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int topFolders = 30;
constexpr int middleFolders = 30;
constexpr int bottomFolders = 32;
constexpr int filesPerFolder = 10;

std::uint64_t nextSize(std::uint64_t &state)
{
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    // Mostly small files with a long tail, as real trees have.
    const std::uint64_t draw = state >> 33;
    return (draw % 100 < 90) ? draw % 65536 : draw % (64ULL << 20);
}

bool makeFolderWithFiles(const std::string &path, std::uint64_t &state)
{
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(path.c_str());
        return false;
    }
    for (int i = 0; i < filesPerFolder; ++i) {
        const std::string file = path + "/file" + std::to_string(i) + ".dat";
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ftruncate(fd, off_t(nextSize(state))) != 0) {
            std::perror(file.c_str());
            return false;
        }
        close(fd);
    }
    return true;
}

} // namespace

bool makeFlatFolder(const std::string &root, long files)
{
    const int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (long i = 0; folder >= 0 && i < files; ++i) {
        const std::string name = "file" + std::to_string(i);
        const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            std::perror(name.c_str());
            return false;
        }
        close(fd);
    }
    return folder >= 0;
}

bool makeSiblingFolders(const std::string &root, long folders)
{
    const int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (long i = 0; folder >= 0 && i < folders; ++i) {
        std::string name = "f";
        name += std::to_string(i);
        if (mkdirat(folder, name.c_str(), 0755) != 0 && errno != EEXIST) {
            std::perror(name.c_str());
            return false;
        }
    }
    return folder >= 0;
}

bool makeChain(const std::string &root, long depth)
{
    int folder = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (long level = 0; folder >= 0 && level < depth; ++level) {
        if (mkdirat(folder, "d", 0755) != 0 && errno != EEXIST) {
            std::perror("d");
            return false;
        }
        const int next = openat(folder, "d", O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = next;
    }
    if (folder < 0)
        return false;
    const int file = openat(folder, "bottom", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool made = file >= 0 && ftruncate(file, 7) == 0;
    close(file);
    close(folder);
    return made;
}

int main(int argc, char *argv[])
{
    const std::string mode = argc == 4 ? argv[1] : "";
    const bool flat = mode == "--flat";
    if (argc != 2 && !flat && mode != "--siblings" && mode != "--chain") {
        std::fprintf(stderr, "usage: %s [--flat N|--siblings N|--chain N] FOLDER (made if missing)\n", argv[0]);
        return 2;
    }
    const std::string root = argv[argc - 1];
    if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) {
        std::perror(root.c_str());
        return 1;
    }
    if (flat) {
        const long files = std::stol(argv[2]);
        if (!makeFlatFolder(root, files))
            return 1;
        std::printf("made %ld files in %s\n", files, root.c_str());
        return 0;
    }
    if (mode == "--siblings" || mode == "--chain") {
        const long count = std::stol(argv[2]);
        if (!(mode == "--siblings" ? makeSiblingFolders(root, count) : makeChain(root, count)))
            return 1;
        std::printf("made %ld %s in %s\n", count, mode == "--siblings" ? "sibling folders" : "levels", root.c_str());
        return 0;
    }
    std::uint64_t state = 20261209;
    long folders = 0;
    for (int a = 0; a < topFolders; ++a) {
        const std::string top = root + "/top" + std::to_string(a);
        if (!makeFolderWithFiles(top, state))
            return 1;
        ++folders;
        for (int b = 0; b < middleFolders; ++b) {
            const std::string middle = top + "/middle" + std::to_string(b);
            if (!makeFolderWithFiles(middle, state))
                return 1;
            ++folders;
            for (int c = 0; c < bottomFolders; ++c) {
                if (!makeFolderWithFiles(middle + "/bottom" + std::to_string(c), state))
                    return 1;
                ++folders;
            }
        }
    }
    std::printf("made %ld folders with %ld files below %s\n", folders, folders * filesPerFolder, root.c_str());
    return 0;
}
