// A file system whose root holds one folder, "stuck", whose listing never returns: the
// way a dead network mount behaves. Run in the foreground: stuck_listing_fs -f FOLDER.
#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int getAttributes(const char *path, struct stat *status, struct fuse_file_info *file)
{
    (void)file;
    memset(status, 0, sizeof *status);
    if (strcmp(path, "/") != 0 && strcmp(path, "/stuck") != 0)
        return -ENOENT;
    status->st_mode = S_IFDIR | 0755;
    status->st_nlink = 2;
    return 0;
}

static int readFolder(const char *path, void *buffer, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info *file,
                      enum fuse_readdir_flags flags)
{
    (void)offset;
    (void)file;
    (void)flags;
    if (strcmp(path, "/stuck") == 0) {
        for (;;)
            pause();
    }
    fill(buffer, ".", NULL, 0, 0);
    fill(buffer, "..", NULL, 0, 0);
    fill(buffer, "stuck", NULL, 0, 0);
    return 0;
}

static const struct fuse_operations operations = {
    .getattr = getAttributes,
    .readdir = readFolder,
};

int main(int argc, char *argv[])
{
    return fuse_main(argc, argv, &operations, NULL);
}
