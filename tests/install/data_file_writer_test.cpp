// WriteDataFile with the small payload that telvo_tests carries as resource COK/VOST, against
// real files of the test prefix: set up, act, verify, and check that a failure leaves the
// earlier state intact.
#include "install/data_file_writer.h"
#include "install/folder_size.h"
#include "folder/install_directory.h"
#include "install/write_plan.h"
#include "install/writer_lock.h"
#include "folder/folder_seams.h"
#include "install/writer_seams.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <thread>

#include "startup/code_page.h"
#include "startup/startup_state.h"
#include "startup/win_handles.h"
#include "support/install_files.h"
#include "support/processes.h"
#include "support/scripted_boxes.h"
#include "support/windows_only.h"

namespace telvo {
namespace {

class DataFileWriterTest : public testing::Test {
  protected:
    void SetUp() override {
        StartupState.RussianTexts = false;
        StartupState.EnglishCaption = "Telvo update";
        Payload = test::OwnResource("VOST", "COK");
        ASSERT_GT(Payload.size(), 5u) << "telvo_tests carries no payload";
        Folder =
            test::FreshTempFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        Target = Folder + "vost.cok";
    }
    void TearDown() override { DoneStartupState(); }

    bool SwapInAFolder() const;
    void ExpectOneFailureBox(const std::string& target) {
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        const TBoxRequest& box = Boxes.Shown()[0];
        EXPECT_EQ(box.Call, TBoxCall::MessageBoxA);
        EXPECT_EQ(box.Text, "Can't install file " + target);
        EXPECT_EQ(box.Caption, "Telvo update");
        EXPECT_EQ(box.Style, kErrorBoxStyle);
    }

    std::string_view Payload;
    std::string Folder;
    std::string Target;
    test::TScriptedBoxes Boxes;
};
using DataFileWriterRussianLocaleTest = DataFileWriterTest;
using DataFileWriterWin32PrefixTest = DataFileWriterTest;

// The resource is stored as VOST of type COK in language 1049 and found in lower case.
TEST_F(DataFileWriterTest, CreatesAMissingTargetFromTheResource) {
    EXPECT_NE(FindResourceExA(nullptr, "COK", "VOST", MAKELANGID(0x19, 0x01)), nullptr);
    EXPECT_EQ(Payload.substr(0, 5), "vost\x4E");
    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
    const DWORD attributes = GetFileAttributesA(Target.c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY),
              0u);
}

// An older file longer than the payload is replaced whole: none of its bytes remain.
TEST_F(DataFileWriterTest, ReplacesALongerOlderTargetAndCutsIt) {
    test::WriteFileBytes(Target, test::OldFileBytes(Payload.size() * 2 + 17));
    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_EQ(test::FileSize(Target), Payload.size());
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
}

// Each refusal shows the one message naming the target, keeps the old file byte for byte and
// its attributes, and leaves nothing else in the folder.
TEST_F(DataFileWriterTest, EachFailureShowsTheMessageAndKeepsTheOldFile) {
    struct Case {
        const char* name;
        const char* resourceName;
        uint32_t oldAttributes;  // 0: no old file
        const char* relativeTarget;
    } cases[] = {
        {"read-only target", "vost", FILE_ATTRIBUTE_READONLY, "vost.cok"},
        {"hidden target", "vost", FILE_ATTRIBUTE_HIDDEN, "vost.cok"},
        {"system target", "vost", FILE_ATTRIBUTE_SYSTEM, "vost.cok"},
        {"missing resource", "nosuch", FILE_ATTRIBUTE_NORMAL, "vost.cok"},
        {"missing resource, no old file", "nosuch", 0, "vost.cok"},
        {"missing folder", "vost", 0, "missing\\vost.cok"},
        {"target is a folder", "vost", FILE_ATTRIBUTE_DIRECTORY, "vost.cok"},
    };
    const std::string old = test::OldFileBytes(4099);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = test::FreshTempFolder(std::string("writer-") + c.name);
        const std::string target = folder + c.relativeTarget;
        if (c.oldAttributes == FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA(target.c_str(), nullptr);
        } else if (c.oldAttributes != 0) {
            test::WriteFileBytes(target, old);
            SetFileAttributesA(target.c_str(), c.oldAttributes);
        }
        const std::vector<std::string> before = test::FolderNames(folder);
        test::TScriptedBoxes boxes;

        EXPECT_EQ(test::WriteDataFileAt(
                      target, [] { return true; }, c.resourceName),
                  TWriteResult::Failed);

        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, "Can't install file " + target);
        EXPECT_EQ(test::FolderNames(folder), before);
        if (c.oldAttributes == 0) {
            EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
        } else if (c.oldAttributes != FILE_ATTRIBUTE_DIRECTORY) {
            EXPECT_TRUE(test::FileEquals(target, old));
            if (c.oldAttributes != FILE_ATTRIBUTE_NORMAL) {
                EXPECT_EQ(GetFileAttributesA(target.c_str()) & c.oldAttributes, c.oldAttributes);
            }
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

// Another process holds the target for longer than all attempts: the message comes after the
// retries, the held file is neither replaced nor changed, and the failure is one a later
// attempt may not meet.
TEST_F(DataFileWriterTest, TargetHeldOpenByAnotherProcessIsLeftAlone) {
    const std::string old = test::OldFileBytes(5000);
    test::WriteFileBytes(Target, old);
    {
        test::THeldFile holder(Target, 30000);
        ASSERT_TRUE(holder.Holding());

        EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::InUse);
    }  // the holder ends here, so the file can be read back

    ExpectOneFailureBox(Target);
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
    EXPECT_TRUE(test::FileEquals(Target, old));
}

// The application still holds its file for about a second after the quit request; the writer
// waits and then writes.
TEST_F(DataFileWriterTest, TargetReleasedAfterASecondIsWrittenAfterRetries) {
    test::WriteFileBytes(Target, test::OldFileBytes(5000));
    test::THeldFile holder(Target, 1000);
    ASSERT_TRUE(holder.Holding());

    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);

    EXPECT_EQ(holder.Wait(), 0);  // it held the file to its end
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
}

// On 32-bit Windows an older file is replaced the same way, and the folder's size then counts
// the new file alone.
TEST_F(DataFileWriterWin32PrefixTest, ReplacesTheTargetAndTheSizeFollows) {
    test::WriteFileBytes(Target, test::OldFileBytes(3 << 20));

    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);

    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    EXPECT_EQ(GetFolderSize(TInstallDirectory::Open(Folder)),
              static_cast<int32_t>(Payload.size() / 1024));
}

// Under a Russian locale the start-up state picks the Russian text, and the old file stays.
TEST_F(DataFileWriterRussianLocaleTest, FailureIsReportedInRussian) {
    InitStartupState();
    ASSERT_TRUE(StartupState.RussianTexts);
    StartupState.LocalCaption = "Обновление программы \"Тельво\"";
    const std::string old = test::OldFileBytes(3000);
    test::WriteFileBytes(Target, old);
    SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Failed);

    ASSERT_EQ(Boxes.Shown().size(), 1u);
    const TBoxRequest& box = Boxes.Shown()[0];
    EXPECT_EQ(box.Call, TBoxCall::MessageBoxExW);
    EXPECT_EQ(box.WideText, L"Не удается установить файл " + WideFromAnsi(Target));
    EXPECT_EQ(box.WideCaption, L"Обновление программы \"Тельво\"");
    EXPECT_TRUE(test::FileEquals(Target, old));
    SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace telvo

namespace telvo {
namespace {

// The caller's last word: a "no" after the new file is complete leaves the old one, removes the
// new one and shows nothing; a "yes" replaces as usual.
TEST_F(DataFileWriterTest, GateDecidesBeforeTheNewFileReplacesTheOld) {
    const std::string old = test::OldFileBytes(1000);
    test::WriteFileBytes(Target, old);
    int asked = 0;
    EXPECT_EQ(test::WriteDataFileAt(Target,
                                    [&] {
                                        ++asked;
                                        // The new file is complete beside the untouched old one.
                                        EXPECT_EQ(test::FolderNames(Folder).size(), 2u);
                                        EXPECT_TRUE(test::FileEquals(Target, old));
                                        return false;
                                    }),
              TWriteResult::Withheld);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_TRUE(test::FileEquals(Target, old));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});

    EXPECT_EQ(test::WriteDataFileAt(Target, [] { return true; }), TWriteResult::Written);
    EXPECT_TRUE(test::FileEquals(Target, Payload));
}

// Temporary files that killed runs left beside the target are removed by the next write; other
// files, however alike in name, and folders stay.
TEST_F(DataFileWriterTest, LeftoversOfInterruptedRunsGoAndNothingElse) {
    test::WriteFileBytes(Target, test::OldFileBytes(1000));
    for (const char* leftover : {"vost.cok.0000abcd.tmp", "VOST.COK.DEADBEEF.TMP"})
        test::WriteFileBytes(Folder + leftover, test::OldFileBytes(300));
    const std::vector<std::string> others = {"other.cok.0000abcd.tmp", "vost.cok.0000abcd.tmp.keep",
                                             "vost.cok.abcd.tmp", "vost.cok.tmp"};
    for (const std::string& other : others) test::WriteFileBytes(Folder + other, "keep");
    ASSERT_TRUE(CreateDirectoryA((Folder + "vost.cok.00000001.tmp").c_str(), nullptr));

    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    std::vector<std::string> expected = others;
    expected.insert(expected.end(), {"vost.cok", "vost.cok.00000001.tmp"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::FolderNames(Folder), expected);
}

// A run that is writing holds the package's writer lock and its temporary file, open
// exclusively from creation to rename: another run waits for the lock, leaves that file alone
// and writes after it.
TEST_F(DataFileWriterTest, AWriteWaitsForTheRunThatIsWriting) {
    const std::string inProgress = Folder + "vost.cok.0000beef.tmp";
    TEventHandle locked(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    TEventHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> held = false;
    std::thread otherRun([&] {
        const TWriterLock lock;
        held = lock.Held();
        // Its own clean-up deletes the file when it closes it.
        TFileHandle file(CreateFileA(inProgress.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        SetEvent(locked.get());
        WaitForSingleObject(release.get(), INFINITE);
    });
    WaitForSingleObject(locked.get(), INFINITE);
    if (!held) {
        SetEvent(release.get());
        otherRun.join();
        GTEST_SKIP() << "this process cannot take the writer lock (on Windows it lies in a "
                        "namespace that only an elevated administrator can make): run elevated";
    }
    std::atomic<bool> done = false;
    std::thread thisRun([&] { done = test::WriteDataFileAt(Target) == TWriteResult::Written; });
    Sleep(500);
    EXPECT_FALSE(done) << "the write did not wait for the run that holds the lock";
    const std::vector<std::string> whileHeld = {"vost.cok.0000beef.tmp"};
    EXPECT_EQ(test::FolderNames(Folder), whileHeld);
    SetEvent(release.get());
    otherRun.join();
    thisRun.join();
    EXPECT_TRUE(done);
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
}

// Temporary names come from the system's random generator: they differ from write to write and
// carry nothing of the process id, which another process could know and plant first.
TEST_F(DataFileWriterTest, TemporaryNamesAreUnpredictable) {
    std::vector<std::string> names;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(
            test::WriteDataFileAt(Target,
                                  [&] {
                                      for (const std::string& name : test::FolderNames(Folder))
                                          if (name != "vost.cok")
                                              names.push_back(name);
                                      return true;
                                  }),
            TWriteResult::Written);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(names[0], names[1]);
    char pid[16];
    std::snprintf(pid, sizeof pid, "%06lx", static_cast<unsigned long>(GetCurrentProcessId()));
    for (const std::string& name : names) {
        EXPECT_TRUE(IsTemporaryNameFor("vost.cok", name)) << name;
        EXPECT_NE(name.substr(9, 6), pid) << name;
    }
}

// A verdict that throws leaves the old file and no temporary file behind.
TEST_F(DataFileWriterTest, TemporaryFileGoesWhenTheVerdictThrows) {
    const std::string old = test::OldFileBytes(1000);
    test::WriteFileBytes(Target, old);
    EXPECT_THROW(
        test::WriteDataFileAt(Target, []() -> bool { throw std::runtime_error("verdict"); }),
        std::runtime_error);
    EXPECT_TRUE(test::FileEquals(Target, old));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
}

// A write that fails early still asks before its message, so the caller's verdict comes first.
TEST_F(DataFileWriterTest, GateIsAskedOnceBeforeAFailureMessage) {
    const std::string missing = Folder + "no such folder\\vost.cok";
    int asked = 0;
    EXPECT_EQ(test::WriteDataFileAt(missing, [&] { return ++asked, false; }),
              TWriteResult::Withheld);
    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_EQ(test::WriteDataFileAt(missing, [&] { return ++asked, true; }), TWriteResult::Failed);
    EXPECT_EQ(asked, 2);
    ExpectOneFailureBox(missing);
}

}  // namespace
}  // namespace telvo

namespace telvo {
namespace {

constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

using TTagScope = test::TSeamScope<TTagSource, ReplaceTemporaryTagSource>;
using TRenameScope = test::TSeamScope<TRenameInto, ReplaceRenameInto>;
using TFinalPathScope = test::TSeamScope<bool, HideFinalPaths>;

// The writer's temporary file in `folder` while it is on its way: the one entry but the target.
std::string TemporaryFileIn(const std::string& folder) {
    for (const std::string& name : test::FolderNames(folder))
        if (name != "vost.cok")
            return folder + name;
    return {};
}

// While the run holds its temporary file, nobody else may open it to read, write or delete it.
TEST_F(DataFileWriterTest, NobodyElseOpensTheTemporaryFile) {
    DWORD error = ERROR_SUCCESS;
    EXPECT_EQ(test::WriteDataFileAt(Target,
                                    [&] {
                                        const TFileHandle other(CreateFileA(
                                            TemporaryFileIn(Folder).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
                                        error = other ? ERROR_SUCCESS : GetLastError();
                                        return true;
                                    }),
              TWriteResult::Written);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

// A drawn name that an entry has already is never opened: here a second name of a file outside
// the folder, which a leftover clean-up leaves alone. That file keeps its bytes, and the writer
// takes the next name it draws.
TEST_F(DataFileWriterTest, ATakenTemporaryNameIsNeverOpened) {
    const std::string outside = test::FreshTempFolder("taken-name-outside") + "other.dat";
    test::WriteFileBytes(outside, "not the writer's");
    ASSERT_TRUE(
        CreateHardLinkA((Folder + "vost.cok.0000abcd.tmp").c_str(), outside.c_str(), nullptr));
    int drawn = 0;
    const TTagScope tags([&](uint32_t& tag) {
        tag = drawn++ == 0 ? 0xabcd : 0x1234;
        return true;
    });

    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);

    EXPECT_EQ(drawn, 2);
    EXPECT_TRUE(test::FileEquals(outside, "not the writer's"));
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    const std::vector<std::string> expected = {"vost.cok", "vost.cok.0000abcd.tmp"};
    EXPECT_EQ(test::FolderNames(Folder), expected);
}

// Tags come from the system's random generator: 64 drawn within one tick of the clock all
// differ, which no tag made from the clock and the process id can.
TEST(TemporaryTagTest, DrawsWithinOneTickAllDiffer) {
    for (int round = 0; round < 10; ++round) {
        const DWORD tick = GetTickCount();
        std::set<uint32_t> tags;
        for (int i = 0; i < 64; ++i) {
            uint32_t tag = 0;
            ASSERT_TRUE(DrawTemporaryTag(tag));
            tags.insert(tag);
        }
        if (GetTickCount() != tick)
            continue;
        EXPECT_EQ(tags.size(), 64u);
        return;
    }
    FAIL() << "the clock moved during every round of draws";
}

// A network volume can apply the rename and still report a failure, and give no final path, no
// file id, or both. The new file is kept wherever it may be the target; it goes only where its
// path and identity both say it is not, and never on a remote volume. The write counts as done
// only where the target is known to be the new file; where nothing tells, it fails at once
// (never as "in use": the run's own handle may be what holds the target), and the next write
// removes whatever stays.
TEST_F(DataFileWriterTest, ARenameReportedAsFailedLosesNothing) {
    using TFinalIdScope = test::TSeamScope<bool, HideFileIds>;
    using TRemoteScope = test::TSeamScope<bool, ShowVolumesRemote>;
    const struct {
        const char* road;
        bool applied, pathsHidden, idsHidden, remote;
        DWORD reported;
        TWriteResult result;
        bool newTarget, leftover;
    } cases[] = {
        {"applied", true, false, false, false, ERROR_UNEXP_NET_ERR, TWriteResult::Written, true,
         false},
        {"applied, no paths", true, true, false, false, ERROR_UNEXP_NET_ERR, TWriteResult::Written,
         true, false},
        {"applied, no ids", true, false, true, false, ERROR_UNEXP_NET_ERR, TWriteResult::Written,
         true, false},
        {"applied, nothing tells", true, true, true, false, ERROR_UNEXP_NET_ERR,
         TWriteResult::Failed, true, false},
        {"applied, nothing tells, in use", true, true, true, false, ERROR_SHARING_VIOLATION,
         TWriteResult::Failed, true, false},
        {"not applied", false, false, false, false, ERROR_UNEXP_NET_ERR, TWriteResult::Failed,
         false, false},
        {"not applied, no paths", false, true, false, false, ERROR_UNEXP_NET_ERR,
         TWriteResult::Failed, false, true},
        {"not applied, remote", false, false, false, true, ERROR_UNEXP_NET_ERR,
         TWriteResult::Failed, false, true},
        // A redirector may answer the path from the name the file was opened with.
        {"not applied, paths given, ids hidden", false, false, true, false, ERROR_UNEXP_NET_ERR,
         TWriteResult::Failed, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.road);
        int renames = 0;
        const TRenameScope rename(
            [&](const TInstallDirectory& folder, HANDLE file, const std::wstring& name) -> DWORD {
                ++renames;
                if (c.applied)
                    folder.MoveInto(file, name);
                return c.reported;
            });
        test::WriteFileBytes(Target, test::OldFileBytes(1000));
        const size_t boxesBefore = Boxes.Shown().size();
        {
            const TFinalPathScope finalPaths(c.pathsHidden);
            const TFinalIdScope fileIds(c.idsHidden);
            const TRemoteScope remote(c.remote);
            EXPECT_EQ(test::WriteDataFileAt(Target), c.result);
        }
        EXPECT_EQ(renames, 1);
        EXPECT_EQ(Boxes.Shown().size() - boxesBefore, c.result == TWriteResult::Written ? 0u : 1u);
        EXPECT_TRUE(test::FileEquals(Target, c.newTarget ? Payload : test::OldFileBytes(1000)));
        EXPECT_EQ(test::FolderNames(Folder).size(), c.leftover ? 2u : 1u);
        // The next write, its rename no longer failing, removes what stayed.
        const TRenameScope plain({});
        EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);
        EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
    }
}

// A rename or a delete that another process holds up (on Windows, an opportunistic lock whose
// break is never acknowledged) ends within its bound, nothing lost: a held rename ends the write
// as in use, the new file left whole as a leftover; a held delete of the new file (the gate said
// no) leaves it as a leftover; held deletes of leftovers are skipped, together within one bound,
// and the write goes on.
TEST_F(DataFileWriterTest, AHeldRenameOrDeleteEndsWithinItsBound) {
    using TStallScope = test::TSeamScope<TFileCallStall, ReplaceFileCallStall>;
    const struct {
        const char* road;
        TFileCall held;
        bool gate;
        int leftovers;
        TWriteResult result;
        size_t names;
    } cases[] = {
        {"rename", TFileCall::Rename, true, 0, TWriteResult::InUse, 2},
        {"new file's delete", TFileCall::Delete, false, 0, TWriteResult::Withheld, 2},
        {"leftovers' deletes", TFileCall::Delete, true, 2, TWriteResult::Written, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.road);
        test::WriteFileBytes(Target, test::OldFileBytes(1000));
        for (int i = 0; i < c.leftovers; ++i)
            test::WriteFileBytes(Folder + "vost.cok.0000000" + std::to_string(i) + ".tmp", "old");
        // Owned by the calls' threads too, which may outlive the write.
        const auto release =
            std::make_shared<TEventHandle>(CreateEventA(nullptr, TRUE, 0, nullptr));
        const ULONGLONG start = GetTickCount64();
        {
            const TStallScope stall([release, held = c.held](TFileCall call) {
                if (call != held)
                    return true;
                WaitForSingleObject(release->get(), 30000);
                return false;
            });
            EXPECT_EQ(test::WriteDataFileAt(Target, [&] { return c.gate; }), c.result);
        }
        EXPECT_LT(GetTickCount64() - start, kFileCallBoundMs + 1500u);
        SetEvent(release->get());
        EXPECT_TRUE(test::FileEquals(
            Target, c.result == TWriteResult::Written ? Payload : test::OldFileBytes(1000)));
        EXPECT_EQ(test::FolderNames(Folder).size(), c.names);
        // Once the calls' threads have let go, the next write removes what stayed.
        for (int i = 0; i < 40 && test::FolderNames(Folder).size() > 1; ++i) {
            Sleep(50);
            EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);
        }
        EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
    }
}

// A folder put at the target's name by the time the new file is complete (the probe before the
// rename refuses it, so nothing is renamed) or between the probe and the rename (which is then
// denied, and so is an open of the folder to delete it: no holder stands in the way). No wait
// cures either, so the write fails at its first attempt, not as in use, and the new file goes.
TEST_F(DataFileWriterTest, AFolderAtTheTargetsNameFailsAtOnce) {
    bool swapAtRename = false;
    int renames = 0;
    const TRenameScope rename(
        [&](const TInstallDirectory& folder, HANDLE file, const std::wstring& name) -> DWORD {
            ++renames;
            if (swapAtRename && !SwapInAFolder())
                return ERROR_GEN_FAILURE;
            return folder.MoveInto(file, name);
        });
    for (const bool atRename : {false, true}) {
        SCOPED_TRACE(atRename ? "swapped in at the rename" : "there by the probe");
        swapAtRename = atRename;
        renames = 0;
        test::TScriptedBoxes boxes;
        test::WriteFileBytes(Target, test::OldFileBytes(1000));

        EXPECT_EQ(test::WriteDataFileAt(Target, [&] { return atRename || SwapInAFolder(); }),
                  TWriteResult::Failed);

        EXPECT_EQ(renames, atRename ? 1 : 0);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, "Can't install file " + Target);
        EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
        EXPECT_TRUE(RemoveDirectoryA(Target.c_str()));
    }
}

// Replaces the old target file by an empty folder of its name.
bool DataFileWriterTest::SwapInAFolder() const {
    return DeleteFileA(Target.c_str()) && CreateDirectoryA(Target.c_str(), nullptr);
}

// Sets the access rules of a file or folder from an SDDL text.
bool SetAccessRules(const std::string& path, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    const bool set = SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return set;
}

// A target whose access rules deny deleting it to everybody, in a folder that grants all but
// the right to delete what it holds: the rename over it is denied, and so is an open to delete
// it. Waiting cures neither, so the write fails at once, not as in use, and the old file stays.
TEST_F(DataFileWriterTest, ATargetThatMayNotBeDeletedFailsAtOnce) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine does not enforce file access rules, so only Windows can deny "
                        "deleting the target to the elevated writer";
    const std::string old = test::OldFileBytes(1000);
    test::WriteFileBytes(Target, old);
    // Everything on the folder but FILE_DELETE_CHILD (0x40), which would let its files go
    // whatever their own rules say; files made in it may be deleted.
    ASSERT_TRUE(SetAccessRules(Folder, "D:P(A;;0x1F01BF;;;WD)(A;OICIIO;FA;;;WD)"));
    ASSERT_TRUE(SetAccessRules(Target, "D:P(D;;SD;;;WD)(A;;FA;;;WD)"));

    const TWriteResult result = test::WriteDataFileAt(Target);

    SetAccessRules(Target, "D:P(A;;FA;;;WD)");
    SetAccessRules(Folder, "D:P(A;OICI;FA;;;WD)");
    EXPECT_EQ(result, TWriteResult::Failed);
    ExpectOneFailureBox(Target);
    EXPECT_TRUE(test::FileEquals(Target, old));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
}

// Where the writer lock is a global name (no private namespaces: Windows XP, Wine), anybody can
// make that name first with a DACL that lets nobody open it: the write goes on without the lock.
TEST_F(DataFileWriterTest, ALockTheRunMayNotOpenHoldsUpNoWrite) {
    if (GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateBoundaryDescriptorA"))
        GTEST_SKIP() << "the writer lock lies in the package's private namespace here, not under "
                        "the global name; WindowsOnlyAnyWindowsTest."
                        "WriterLockOfANonAdministratorHoldsUpNoUpdate squats that namespace";
    ACL emptyDacl{};
    SECURITY_DESCRIPTOR descriptor{};
    ASSERT_TRUE(InitializeAcl(&emptyDacl, sizeof emptyDacl, ACL_REVISION));
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyDacl, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    const TMutexHandle squatted(
        CreateMutexA(&attributes, TRUE, "Global\\TelvoUpdate.DataFileWriter"));
    ASSERT_TRUE(squatted);
    ASSERT_FALSE(TMutexHandle(CreateMutexA(nullptr, FALSE, "Global\\TelvoUpdate.DataFileWriter")));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);

    EXPECT_TRUE(Boxes.Shown().empty());
    EXPECT_TRUE(test::FileEquals(Target, Payload));
}

// Leftovers marked read-only, hidden or system go like any other; the system refuses to delete
// a read-only file, by handle too, until its mark is cleared.
TEST_F(DataFileWriterTest, MarkedLeftoversGoToo) {
    const std::pair<const char*, DWORD> leftovers[] = {
        {"vost.cok.0000000a.tmp", FILE_ATTRIBUTE_READONLY},
        {"vost.cok.0000000b.tmp", FILE_ATTRIBUTE_HIDDEN},
        {"vost.cok.0000000c.tmp", FILE_ATTRIBUTE_SYSTEM}};
    for (const auto& [name, mark] : leftovers) {
        test::WriteFileBytes(Folder + name, test::OldFileBytes(300));
        ASSERT_TRUE(SetFileAttributesA((Folder + name).c_str(), mark));
    }

    EXPECT_EQ(test::WriteDataFileAt(Target), TWriteResult::Written);

    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
    for (const auto& [name, mark] : leftovers)
        SetFileAttributesA((Folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Share mode 0 does not keep out an open for the attributes alone: another process can mark the
// temporary file read-only, hidden and system while it is on its way. The installed file
// carries none of these marks, or the next run would refuse to replace it.
TEST_F(DataFileWriterTest, TheInstalledFileCarriesNoMarkOfItsTemporaryFile) {
    EXPECT_EQ(
        test::WriteDataFileAt(
            Target,
            [&] { return SetFileAttributesA(TemporaryFileIn(Folder).c_str(), kMarks) != FALSE; }),
        TWriteResult::Written);

    EXPECT_EQ(GetFileAttributesA(Target.c_str()) & kMarks, 0u);
    EXPECT_TRUE(test::FileEquals(Target, Payload));
    SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The exclusive probe before the rename keeps a target that another process holds open even
// when that holder lets others delete it: Windows would rename over such a file.
TEST_F(DataFileWriterTest, ATargetHeldWithDeleteSharingIsLeftAlone) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine never renames over an open file, whatever its sharing, so only "
                        "Windows can show what the probe before the rename keeps";
    const std::string old = test::OldFileBytes(5000);
    test::WriteFileBytes(Target, old);
    {
        test::THeldFile holder(Target, 30000,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ASSERT_TRUE(holder.Holding());

        EXPECT_NE(test::WriteDataFileAt(Target), TWriteResult::Written);
    }

    ExpectOneFailureBox(Target);
    EXPECT_TRUE(test::FileEquals(Target, old));
    EXPECT_EQ(test::FolderNames(Folder), std::vector<std::string>{"vost.cok"});
}

}  // namespace
}  // namespace telvo
