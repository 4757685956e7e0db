// Atomic saving through a temporary file and rename(2), beside the file the name resolves to.
#include "platform/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

static int GInjectedFault = TSF_NONE;

void TSaveFile_InjectFault(int step) {
    GInjectedFault = step;
}

// True once for the step the test asked to fail; errno then says EIO.
static bool Injected(int step) {
    if (GInjectedFault != step) return false;
    GInjectedFault = TSF_NONE;
    errno = EIO;
    return true;
}

static std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a save through path writes: symbolic links followed to their final target, which
// need not exist yet (a dangling link saves to the file it names). Empty with errno ELOOP when
// the links do not end.
static std::string ResolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string link(size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        ssize_t length = readlink(path.c_str(), &link[0], link.size());
        if (length < 0) return path; // mkstemp or rename will say why
        link.resize(size_t(length));
        path = !link.empty() && link[0] == '/' ? link : FolderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return "";
}

// The temporary file gets what the replaced file had: its mode, and its owner and group where
// this process may set them. A new file gets what creating it would give, not mkstemp's 0600.
static void TakeOverPermissions(int fd, const std::string& target) {
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (fchown(fd, st.st_uid, st.st_gid) != 0 && fchown(fd, uid_t(-1), st.st_gid) != 0) {
            // Not permitted: the file becomes ours, as any new file would.
        }
        fchmod(fd, st.st_mode & 07777);
        return;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

int TSaveFile_Open(TSaveFile* file, const char* target) {
    if (!file || !target || !*target) return errno = EINVAL, -1;
    file->FFile = nullptr;
    file->FFailed = 0;
    file->FTarget = ResolveLinks(target);
    if (file->FTarget.empty()) return -1;
    const std::string& base = file->FTarget;
    size_t slash = base.rfind('/');
    std::string name = slash == std::string::npos ? base : base.substr(slash + 1);
    std::string buffer = FolderOf(base) + "/." + name + ".XXXXXX";
    int fd = mkstemp(&buffer[0]);
    if (fd < 0) return -1;
    file->FTemp = buffer;
    TakeOverPermissions(fd, base);
    file->FFile = fdopen(fd, "wb");
    if (!file->FFile) {
        int saved = errno;
        close(fd);
        unlink(file->FTemp.c_str());
        errno = saved;
        return -1;
    }
    return 0;
}

int TSaveFile_Write(TSaveFile* file, const void* data, size_t size) {
    if (!file || !file->FFile || file->FFailed) return -1;
    if (size == 0) return 0;
    if (std::fwrite(data, 1, size, file->FFile) != size) {
        file->FFailed = 1;
        return -1;
    }
    return 0;
}

void TSaveFile_Abort(TSaveFile* file) {
    if (!file) return;
    int saved = errno;
    if (file->FFile) std::fclose(file->FFile);
    file->FFile = nullptr;
    if (!file->FTemp.empty()) unlink(file->FTemp.c_str());
    file->FTemp.clear();
    errno = saved;
}

int TSaveFile_Commit(TSaveFile* file) {
    if (!file || !file->FFile) return -1;
    bool ok = !file->FFailed;
    ok = ok && !Injected(TSF_FLUSH) && std::fflush(file->FFile) == 0 && !std::ferror(file->FFile);
    ok = ok && !Injected(TSF_SYNC) && fsync(fileno(file->FFile)) == 0;
    std::FILE* stream = file->FFile;
    file->FFile = nullptr;
    bool closed = std::fclose(stream) == 0;
    ok = ok && !Injected(TSF_CLOSE) && closed;
    ok =
        ok && !Injected(TSF_RENAME) && std::rename(file->FTemp.c_str(), file->FTarget.c_str()) == 0;
    if (!ok) {
        TSaveFile_Abort(file);
        return -1;
    }
    file->FTemp.clear();
    return 0;
}
