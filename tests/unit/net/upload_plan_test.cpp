#include "net/upload_plan.h"
#include "net/upload_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace pictorn::net {
namespace {

TEST(UploadPlan, LaterEntriesOfTheSameNameGetNumbers) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(uniqueRemoteNames({"a.png", "b.png"}), (Names{"a.png", "b.png"}));
    EXPECT_EQ(uniqueRemoteNames({"a.png", "a.png", "A.PNG"}),
              (Names{"a.png", "a_2.png", "A_3.PNG"}));
    // A numbered name never takes the name another entry brings along.
    EXPECT_EQ(uniqueRemoteNames({"a.png", "a.png", "a_2.png"}),
              (Names{"a.png", "a_3.png", "a_2.png"}));
    EXPECT_EQ(uniqueRemoteNames({"README", "README", ".env", ".env", "x.tar.gz", "x.tar.gz"}),
              (Names{"README", "README_2", ".env", ".env_2", "x.tar.gz", "x.tar_2.gz"}));
}

TEST(UploadPlan, OutcomeNamesEveryFileThatDidNotArrive) {
    UploadOutcome outcome;
    outcome.add("a.png", true);
    EXPECT_TRUE(outcome.allArrived());
    EXPECT_EQ(outcome.failureText(), "");
    outcome.add("b.png", false, "Put file: \"b.png\" was not stored: aborted.");
    outcome.add("c.png", false, "Put file: \"c.png\" was not stored: aborted.");
    outcome.add("d.png", true); // a later success does not hide earlier failures
    EXPECT_FALSE(outcome.allArrived());
    EXPECT_EQ(outcome.count(), 4u);
    EXPECT_EQ(outcome.failureText(), "Not uploaded: b.png, c.png\r\n"
                                     "Put file: \"b.png\" was not stored: aborted.\r\n"
                                     "Put file: \"c.png\" was not stored: aborted.");
}

TEST(UploadSources, FileIsReadInChunksAndAgainAfterRewind) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "pictorn_upload_source_\xc3\xa4.bin";
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::string error;
    std::unique_ptr<FileUploadSource> source = FileUploadSource::open(path.string(), error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(source->size(), bytes.size());
    for (int pass = 0; pass < 2; ++pass) {
        std::string read;
        std::vector<char> chunk(65536);
        std::size_t got = 0;
        do {
            ASSERT_TRUE(source->read(chunk, got, error));
            read.append(chunk.data(), got);
        } while (got > 0);
        EXPECT_EQ(read, bytes);
        ASSERT_TRUE(source->rewind(error));
    }
    source.reset();
    std::filesystem::remove(path);

    EXPECT_FALSE(FileUploadSource::open(path.string(), error));
    EXPECT_NE(error.find("pictorn_upload_source_"), std::string::npos);
    EXPECT_FALSE(FileUploadSource::open(std::filesystem::temp_directory_path().string(), error));
    EXPECT_NE(error.find("folder"), std::string::npos);
}

} // namespace
} // namespace pictorn::net
