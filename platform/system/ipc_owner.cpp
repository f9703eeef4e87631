#include "ipc_owner.h"

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace calvorine::platform {

namespace {

// The caller's own union for semctl, as the system leaves it to the program.
union SemaphoreArgument {
    int value;
    semid_ds* state;
    unsigned short* values;
};

} // namespace

bool isOwnIpcKey(const std::string& keyFile, IpcObjectKind kind) {
    const uid_t user = ::getuid();
    struct stat file {};
    if (::lstat(keyFile.c_str(), &file) != 0) {
        // No key file, no key: nothing there to be held by anyone.
        return errno == ENOENT;
    }
    if (!S_ISREG(file.st_mode) || file.st_uid != user) {
        return false;
    }
    const key_t key = ::ftok(keyFile.c_str(), 'Q');
    if (key == -1) {
        return false;
    }
    if (kind == IpcObjectKind::Semaphore) {
        const int id = ::semget(key, 0, 0);
        if (id == -1) {
            return errno == ENOENT;
        }
        semid_ds state{};
        SemaphoreArgument argument{};
        argument.state = &state;
        return ::semctl(id, 0, IPC_STAT, argument) == 0 && state.sem_perm.uid == user && state.sem_perm.cuid == user;
    }
    const int id = ::shmget(key, 0, 0);
    if (id == -1) {
        return errno == ENOENT;
    }
    shmid_ds state{};
    return ::shmctl(id, IPC_STAT, &state) == 0 && state.shm_perm.uid == user && state.shm_perm.cuid == user;
}

} // namespace calvorine::platform
