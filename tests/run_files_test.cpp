// Files and folders named after the run that made them, and their removal once that run has ended.
#include "tests/gtest_win.h"

#include "tests/temp_dir.h"
#include "win/run_files.h"
#include "win/temp_folder.h"

#include <optional>
#include <string>

using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(RunFiles, NamesCarryTheirOwner)
{
    const win::RunId run{1234, 0x1dc6b0f2a3b4c5d};
    EXPECT_EQ(win::RunFileName("~folimar-", run, 7, ".pdf.tmp"), "~folimar-1234-1dc6b0f2a3b4c5d-7.pdf.tmp");
    struct Case {
        const char* name;
        std::optional<win::RunId> owner;
    } cases[] = {
        {"~folimar-1234-1dc6b0f2a3b4c5d-7.pdf.tmp", run},
        {"~FOLIMAR-1234-1DC6B0F2A3B4C5D-7.PDF.TMP", run},
        {"~folimar-1234-7.pdf.tmp", std::nullopt},
        {"~folimar--1dc6b0f2a3b4c5d-7.pdf.tmp", std::nullopt},
        {"~folimar-12x4-1dc6b0f2a3b4c5d-7.pdf.tmp", std::nullopt},
        {"~folimar-1234-1dc6b0f2a3b4c5dz-7.pdf.tmp", std::nullopt},
        {"~folimar-1234-1dc6b0f2a3b4c5d-7.pdf", std::nullopt},
        {"~folimar-1234-1dc6b0f2a3b4c5d-.pdf.tmp", std::nullopt},
        {"~folimar-99999999999-1-1.pdf.tmp", std::nullopt},
        {"report.pdf.tmp", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win::RunFileOwner(c.name, "~folimar-", ".pdf.tmp"), c.owner) << c.name;
}

TEST(RunFiles, ARunGoesOnOnlyWhileItsProcessDoes)
{
    const win::RunId self = win::CurrentRun();
    EXPECT_NE(self.started, 0u);
    EXPECT_TRUE(win::RunGoesOn(self));
    // A later process with the same id is another run.
    EXPECT_FALSE(win::RunGoesOn({self.pid, self.started - 1}));
    // No process has this id (ids are multiples of 4 and far smaller).
    EXPECT_FALSE(win::RunGoesOn({0x7ffffff3, self.started}));
}

TEST(TempFolder, ALaterRunRemovesTheWorkingFoldersOfDeadRuns)
{
    char base[MAX_PATH + 1] = {};
    ASSERT_GT(::GetTempPathA(MAX_PATH, base), 0u);
    const std::string dead = std::string(base) + win::RunFileName("folimar-", {0x7ffffff3, 1}, 5, "");
    ASSERT_TRUE(::CreateDirectoryA(dead.c_str(), nullptr) || Exists(dead));
    ASSERT_TRUE(WriteFileBytes(dead + "\\job.ps", "a job copy"));
    TempDir live;
    ASSERT_TRUE(live.valid());
    win::RemoveDeadRunFolders();
    EXPECT_FALSE(Exists(dead));
    EXPECT_TRUE(Exists(live.path()));
}

} // namespace
