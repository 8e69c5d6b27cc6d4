#pragma once
// One upload session as the worker thread runs it for the FTP window: connect, change to the
// remote folder, put every listed file, quit. What the window shows meanwhile comes back as
// events; what it shows afterwards is the session's end.
#include "net/ftp_session.h"
#include "net/upload_source.h"
#include "platform/network.h"
#include "platform/ui/background_job.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn {

// Where the bytes of a listed file come from (window tests read the headless file system).
using LocalFileOpener =
    std::function<std::unique_ptr<net::UploadSource>(const std::string& path, std::string& error)>;

struct FtpUploadRequest {
    net::FtpLogin login;
    std::string remoteFolder;
    std::vector<std::string> paths;       // the list's entries, in order
    std::vector<std::string> fileNames;   // each entry's own file name
    std::vector<std::string> remoteNames; // the names they are stored under
    LocalFileOpener openLocalFile;
};

struct FtpUploadEvent {
    enum class Kind {
        AbortCheck,  // `value`: the upload rate in bytes per second
        FileStarted, // `value`: the file's number, from 1
        Progress,    // `value`: percent of the current file
        SessionLog,  // `text`: the session log once the remote folder is reached
    };
    Kind kind = Kind::AbortCheck;
    std::uint64_t value = 0;
    std::string text;
};

struct FtpUploadEnd {
    std::string_view failedStep; // the step label of a failure; empty when all arrived
    std::string error;           // the client's error text (or the outcome's, for puts)
    std::vector<std::string> notUploaded;
    std::string sessionLog; // after QUIT, with our own notes at the end
    bool ok() const { return failedStep.empty(); }
};

using FtpUploadJob = ui::BackgroundJob<FtpUploadEnd, FtpUploadEvent>;

FtpUploadEnd runFtpUpload(platform::Network& network, const FtpUploadRequest& request,
                          const FtpUploadJob::Context& job);

} // namespace pictorn
