// Whether this user can create files in a folder.
#include "WritableFolder.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// A file made in the folder and removed again when this goes.
class ProbeFile {
public:
    explicit ProbeFile(const std::filesystem::path& folder)
        : path_((folder / ".kestrum-doctor-XXXXXX").string()), fd_(::mkstemp(path_.data())),
          error_(fd_.get() < 0 ? errno : 0)
    {
    }
    ~ProbeFile()
    {
        if (fd_.get() >= 0) {
            ::unlink(path_.c_str());
        }
    }
    ProbeFile(const ProbeFile&) = delete;
    ProbeFile& operator=(const ProbeFile&) = delete;

    int error() const { return error_; }

private:
    std::string path_;
    FileDescriptor fd_;
    int error_ = 0;
};

} // namespace

int folderWriteError(const std::filesystem::path& folder)
{
    return ProbeFile(folder).error();
}
