// Makes the benchmark's synthetic folder tree: 29,730 folders three levels deep
// (30 × 30 × 32 below the top), ten files in each, 297,300 files in all. File sizes
// come from a fixed pseudo-random sequence, so every run makes the same tree; the files
// are sparse and take no disk. With --flat N, one folder of N empty files instead.

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

int main(int argc, char *argv[])
{
    const bool flat = argc == 4 && std::string(argv[1]) == "--flat";
    if (argc != 2 && !flat) {
        std::fprintf(stderr, "usage: %s [--flat N] FOLDER (made if missing)\n", argv[0]);
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
