// Atomic saving through a temporary file and rename(2).
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

int TSaveFile_Open(TSaveFile* file, const char* target) {
    if (!file || !target || !*target) return errno = EINVAL, -1;
    file->FFile = nullptr;
    file->FFailed = 0;
    file->FTarget = target;
    std::string base = file->FTarget;
    size_t slash = base.rfind('/');
    std::string name = slash == std::string::npos ? base : base.substr(slash + 1);
    std::string pattern = FolderOf(base) + "/." + name + ".XXXXXX";
    std::string buffer = pattern;
    int fd = mkstemp(&buffer[0]);
    if (fd < 0) return -1;
    file->FTemp = buffer;
    // Keep the permissions a new file would get, not mkstemp's 0600.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
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
