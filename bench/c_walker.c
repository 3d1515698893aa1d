/* The benchmark's reference: a plain C walker with the scan's counting rules and
 * nothing else. openat + getdents64 + fstatat, one status call per entry that is not a
 * folder, names beginning with "." skipped, links never followed, a file counted at its
 * length. Threads share one stack of folders waiting to be listed; each waiting folder
 * holds its parent open. Usage: c_walker [--threads N] FOLDER. The last line is
 * "folders=N files=N bytes=N seconds=S peak_rss_kib=N threads=N". */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

struct folder {
    int fd;                 /* open while it is being listed or a sub-folder waits */
    atomic_int users;
};

struct waiting {
    struct folder *parent;
    char *name;
};

static pthread_mutex_t stack_mutex = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t stack_changed = PTHREAD_COND_INITIALIZER;
static struct waiting *stack;
static size_t stack_size, stack_capacity;
static int busy; /* threads listing a folder: while any is, more may come */

static atomic_long folders, files;
static atomic_ullong bytes;

static void release(struct folder *folder)
{
    if (atomic_fetch_sub(&folder->users, 1) == 1) {
        close(folder->fd);
        free(folder);
    }
}

static void push(struct folder *parent, const char *name)
{
    atomic_fetch_add(&parent->users, 1);
    pthread_mutex_lock(&stack_mutex);
    if (stack_size == stack_capacity) {
        stack_capacity = stack_capacity ? 2 * stack_capacity : 1024;
        stack = realloc(stack, stack_capacity * sizeof *stack);
    }
    stack[stack_size].parent = parent;
    stack[stack_size].name = strdup(name);
    ++stack_size;
    pthread_mutex_unlock(&stack_mutex);
    pthread_cond_signal(&stack_changed);
}

static void list(struct folder *folder)
{
    char buffer[64 * 1024];
    unsigned long long sum = 0;
    long count = 0;
    for (;;) {
        const long filled = getdents64(folder->fd, buffer, sizeof buffer);
        if (filled <= 0)
            break;
        for (long offset = 0; offset < filled;) {
            const struct dirent64 *entry = (const struct dirent64 *)(buffer + offset);
            offset += entry->d_reclen;
            if (entry->d_name[0] == '.')
                continue;
            unsigned char type = entry->d_type;
            struct stat status;
            if (type != DT_DIR) {
                if (fstatat(folder->fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                type = S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
            }
            if (type == DT_DIR) {
                push(folder, entry->d_name);
            } else {
                sum += (unsigned long long)status.st_size;
                ++count;
            }
        }
    }
    atomic_fetch_add(&folders, 1);
    atomic_fetch_add(&files, count);
    atomic_fetch_add(&bytes, sum);
    release(folder);
}

static void *work(void *unused)
{
    (void)unused;
    pthread_mutex_lock(&stack_mutex);
    for (;;) {
        while (stack_size == 0 && busy > 0)
            pthread_cond_wait(&stack_changed, &stack_mutex);
        if (stack_size == 0)
            break;
        const struct waiting next = stack[--stack_size];
        ++busy;
        pthread_mutex_unlock(&stack_mutex);
        const int fd = openat(next.parent->fd, next.name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        release(next.parent);
        free(next.name);
        if (fd >= 0) {
            struct folder *folder = malloc(sizeof *folder);
            folder->fd = fd;
            atomic_init(&folder->users, 1);
            list(folder);
        } else {
            atomic_fetch_add(&folders, 1);
        }
        pthread_mutex_lock(&stack_mutex);
        if (--busy == 0 && stack_size == 0)
            pthread_cond_broadcast(&stack_changed);
    }
    pthread_mutex_unlock(&stack_mutex);
    pthread_cond_broadcast(&stack_changed);
    return NULL;
}

int main(int argc, char *argv[])
{
    int threads = 1;
    if (argc == 4 && strcmp(argv[1], "--threads") == 0)
        threads = atoi(argv[2]);
    if ((argc != 2 && argc != 4) || threads < 1) {
        fprintf(stderr, "usage: %s [--threads N] FOLDER\n", argv[0]);
        return 2;
    }
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    const int fd = open(argv[argc - 1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        struct folder *root = malloc(sizeof *root);
        root->fd = fd;
        atomic_init(&root->users, 1);
        busy = 1;
        list(root);
        busy = 0;
        pthread_t *pool = calloc((size_t)threads, sizeof *pool);
        for (int i = 1; i < threads; ++i)
            pthread_create(&pool[i], NULL, work, NULL);
        work(NULL);
        for (int i = 1; i < threads; ++i)
            pthread_join(pool[i], NULL);
        free(pool);
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("folders=%ld files=%ld bytes=%llu seconds=%.3f peak_rss_kib=%ld threads=%d\n", atomic_load(&folders),
           atomic_load(&files), atomic_load(&bytes),
           (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9, usage.ru_maxrss, threads);
    return 0;
}
