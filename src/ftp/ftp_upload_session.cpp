#include "ftp/ftp_upload_session.h"

#include "ftp/ftp_texts.h"
#include "net/upload_plan.h"

namespace pictorn {

namespace {
using Kind = FtpUploadEvent::Kind;
} // namespace

FtpUploadEnd runFtpUpload(platform::Network& network, const FtpUploadRequest& request,
                          const FtpUploadJob::Context& job) {
    const net::FtpSession* session = nullptr;
    net::FtpSession ftp(network, [&] {
        job.report({Kind::AbortCheck, session ? session->uploadRate() : 0, {}});
        return job.aborted();
    });
    session = &ftp;
    std::string notes; // our own lines for the session log (renamed duplicates)
    FtpUploadEnd end;
    auto finish = [&] {
        ftp.quit();
        end.sessionLog = ftptext::sessionLogText(ftp.log(), notes);
        return end;
    };

    std::string_view step = ftptext::kStepConnect;
    net::FtpResult result = ftp.connect(request.login);
    if (result.ok()) {
        step = ftptext::kStepChangeFolder;
        result = ftp.changeFolder(request.remoteFolder);
    }
    if (!result.ok()) {
        end.failedStep = step;
        end.error = result.error;
        return finish();
    }
    job.report({Kind::SessionLog, 0, ftptext::sessionLogText(ftp.log(), notes)});

    net::UploadOutcome outcome;
    for (std::size_t i = 0; i < request.paths.size(); ++i) {
        job.report({Kind::FileStarted, i + 1, {}});
        const std::string& path = request.paths[i];
        const std::string& name = request.remoteNames[i];
        if (name != request.fileNames[i])
            notes += "Stored " + path + " as " + name + ": an earlier file in the list " +
                     "is also named " + request.fileNames[i] + "." + std::string(ftptext::kCrLf);
        std::string openError;
        const std::unique_ptr<net::UploadSource> source = request.openLocalFile(path, openError);
        if (!source) {
            outcome.add(name, false, "Put file: cannot read " + path + ": " + openError);
            continue;
        }
        result = ftp.putFile(*source, name, [&](const net::PutProgress& progress) {
            job.report({Kind::Progress, static_cast<std::uint64_t>(progress.percent), {}});
        });
        outcome.add(name, result.ok(), result.error);
    }
    if (!outcome.allArrived()) {
        end.failedStep = ftptext::kStepPutFile;
        end.error = outcome.failureText();
        end.notUploaded = outcome.failedNames();
    }
    return finish();
}

} // namespace pictorn
