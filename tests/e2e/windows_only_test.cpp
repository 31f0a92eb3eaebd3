// End-to-end checks that only Windows can answer (support/windows_only.h): the application that
// the elevated package starts runs without its rights; DLLs planted where the package would
// find them first, with no loader settings helping, never get into it; links planted in and
// above the install folder steer none of its writes, and a junction inside it adds nothing to
// its measured size; a writer lock that a non-administrator made first holds up no update, and
// neither do opportunistic locks on its files that are never let go. Under Wine they report
// themselves skipped; e2e_planted_dlls covers the DLLs there with Wine's native overrides.
#include <windows.h>
#include <sddl.h>
#include <winioctl.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "e2e/box_bot.h"
#include "install/folder_size.h"
#include "folder/install_directory.h"
#include "startup/code_page.h"
#include "startup/well_known_sids.h"
#include "startup/win_handles.h"
#include "support/install_files.h"
#include "support/installation.h"
#include "support/processes.h"
#include "support/standin.h"
#include "support/windows_only.h"

namespace telvo::e2e {
namespace {

constexpr char kPlantedLog[] = "C:\\planted-dlls.log";
constexpr int kCarriedVersion = TELVO_TEST_CARRIED_VERSION;  // the build's carried file
// Names of the writer's temporary files and of the leftovers it removes: the data file's name,
// a dot, eight hex digits and ".tmp". Its names are random, so links are planted at a handful.
constexpr const char* kLeftoverNames[] = {"vost.cok.00000000.tmp", "vost.cok.1a2b3c4d.tmp",
                                          "vost.cok.7fffffff.tmp", "vost.cok.deadbeef.tmp",
                                          "vost.cok.ffffffff.tmp"};
constexpr char kNoLinksUnderWine[] =
    "Wine has no NTFS junctions or object-manager symbolic links (mklink /J fails there), so "
    "links cannot be planted in the folder's chain; this check needs Windows";

// A folder's full long path (a temporary folder may be given in 8.3 names), with a trailing
// backslash.
std::string LongPath(const std::string& folder) {
    char path[MAX_PATH] = {};
    const DWORD length = GetLongPathNameA(folder.c_str(), path, MAX_PATH);
    std::string full = length > 0 && length < MAX_PATH ? path : folder;
    return full.back() == '\\' ? full : full + '\\';
}

// A directory at `path` that is an NTFS mount point (a junction) to the NT path `target`: a
// folder such as "\??\C:\real" or an object directory such as "\RPC Control". Removed again,
// the target untouched, when the owner ends.
class TJunction {
  public:
    TJunction(const std::string& path, const std::string& target) : Path(path) {
        if (!CreateDirectoryA(path.c_str(), nullptr))
            return;
        const TFileHandle folder(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        // REPARSE_DATA_BUFFER's mount point form: tag, data length, reserved, then the
        // substitute and print names' offsets and lengths and the names themselves, each
        // ending in a NUL; the print name is empty.
        const std::wstring name = WideFromAnsi(target);
        const WORD nameBytes = static_cast<WORD>(name.size() * sizeof(wchar_t));
        const WORD names[4] = {0, nameBytes, static_cast<WORD>(nameBytes + sizeof(wchar_t)), 0};
        std::vector<BYTE> buffer(8 + sizeof names + nameBytes + 2 * sizeof(wchar_t));
        const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
        const WORD dataLength = static_cast<WORD>(buffer.size() - 8);
        std::memcpy(buffer.data(), &tag, sizeof tag);
        std::memcpy(buffer.data() + 4, &dataLength, sizeof dataLength);
        std::memcpy(buffer.data() + 8, names, sizeof names);
        std::memcpy(buffer.data() + 8 + sizeof names, name.data(), nameBytes);
        DWORD returned = 0;
        Made = folder &&
               DeviceIoControl(folder.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                               static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    }
    ~TJunction() { RemoveDirectoryA(Path.c_str()); }
    TJunction(const TJunction&) = delete;
    TJunction& operator=(const TJunction&) = delete;
    bool Made = false;

  private:
    std::string Path;
};

// An object-manager symbolic link "\RPC Control\NAME" (a directory anybody may create in) to
// the NT path `target`. It lives as long as its handle.
TUniqueHandle<TKernelHandleTraits> ObjectLink(const std::string& name, const std::string& target) {
    using TCreate = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PUNICODE_STRING);
    const auto create = reinterpret_cast<TCreate>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtCreateSymbolicLinkObject")));
    std::wstring linkName = L"\\RPC Control\\" + WideFromAnsi(name);
    std::wstring linkTarget = WideFromAnsi(target);
    UNICODE_STRING nameString{static_cast<USHORT>(linkName.size() * sizeof(wchar_t)),
                              static_cast<USHORT>(linkName.size() * sizeof(wchar_t)),
                              linkName.data()};
    UNICODE_STRING targetString{static_cast<USHORT>(linkTarget.size() * sizeof(wchar_t)),
                                static_cast<USHORT>(linkTarget.size() * sizeof(wchar_t)),
                                linkTarget.data()};
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.ObjectName = &nameString;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    HANDLE link = nullptr;
    if (!create ||
        create(&link, 0xF0001 /* SYMBOLIC_LINK_ALL_ACCESS */, &attributes, &targetString) < 0)
        return {};
    return TUniqueHandle<TKernelHandleTraits>(link);
}

// Every file of a folder with its bytes, and its subfolders by name: compared before and after a
// run to show that nothing in it was created, replaced or deleted.
std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : test::FolderNames(folder)) {
        const DWORD attributes = GetFileAttributesA((folder + name).c_str());
        contents[name] =
            attributes & FILE_ATTRIBUTE_DIRECTORY ? "<folder>" : test::ReadWholeFile(folder + name);
    }
    return contents;
}

// A stand-in installation in a folder of the user's own (an unelevated stand-in could not write
// its start record into Program Files), registered as the installation the package finds.
class WindowsOnlyAnyWindowsTest : public testing::Test {
  protected:
    void LayOut(const std::string& name) {
        test::EndEveryStandIn();
        Folder = test::FreshTempFolder(name);
        test::TInstallationLayout layout;
        layout.Folder = Folder;
        ASSERT_EQ(test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe",
                                           test::SourceTreePath("tests/fixtures/telvo/language")),
                  "");
    }
    // An installation in `installed` below a fresh folder, found through `lastRun` below it (a
    // link the test makes), and an empty folder "outside" beside them for the links' targets.
    void LayOutBehindALink(const std::string& name, const std::string& installed,
                           const std::string& lastRun) {
        Folder = LongPath(test::FreshTempFolder(name));
        test::TInstallationLayout layout;
        layout.Folder = Folder + installed;
        layout.LastRunFolder = Folder + lastRun;
        ASSERT_EQ(test::LayOutInstallation(layout, test::TestBinFolder() + "telvo.exe",
                                           test::SourceTreePath("tests/fixtures/telvo/language")),
                  "");
        ASSERT_TRUE(CreateDirectoryA((Folder + "outside").c_str(), nullptr));
    }
    void TearDown() override {
        test::EndEveryStandIn();
        if (!Folder.empty())
            test::RemoveInstallation(Folder);
    }
    static std::string Package() { return test::TestBinFolder() + "..\\TelvoUpdate.exe"; }

    std::string Folder;
};

// The package runs `arguments` with every box answered Yes; the stand-in it starts must note
// that it runs unelevated. Both start checks need a split token (WhyElevationCannotBeSeen).
void ExpectStartedUnelevated(const std::string& package, const std::string& arguments, size_t boxes,
                             const std::string& folder) {
    const TBotRun run = RunAnsweringBoxes("\"" + package + "\"" + arguments,
                                          std::vector<TButton>(boxes, TButton::Yes));
    ASSERT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Boxes.size(), boxes);
    ASSERT_TRUE(test::WaitForStandInWindow()) << "the application was not started";
    for (int i = 0; i < 100 && test::LastStartField(test::StartRecords(folder), "elevated").empty();
         ++i)
        Sleep(50);
    EXPECT_EQ(test::LastStartField(test::StartRecords(folder), "elevated"), "0")
        << test::StartRecords(folder);
}

TEST_F(WindowsOnlyAnyWindowsTest, RunappStartsTheApplicationUnelevated) {
    const std::string reason = test::WhyElevationCannotBeSeen();
    if (!reason.empty())
        GTEST_SKIP() << reason;
    LayOut("unelevated-runapp");
    ExpectStartedUnelevated(Package(), " modest runapp", 0, Folder);
}

// An interactive run shows its boxes before it asks the shell: the process's COM security, set
// before the first of them, must still be the package's when the shell is asked, or the shell
// would not be asked at all and nothing would start.
TEST_F(WindowsOnlyAnyWindowsTest, InteractiveYesStartsTheApplicationUnelevated) {
    const std::string reason = test::WhyElevationCannotBeSeen();
    if (!reason.empty())
        GTEST_SKIP() << reason;
    LayOut("unelevated-interactive");
    ExpectStartedUnelevated(Package(), "", 2, Folder);
}

// planted.dll under ten names that programs commonly load, beside a copy of the package, in its
// current directory, in a folder on its %PATH% and in the install folder (a system DLL's own
// dependencies searched for in the standard order would reach the current directory and
// %PATH%). An interactive run shows themed boxes, writes the
// data file and starts the application through the desktop shell: every DLL the package ever
// loads, it loads during that run.
TEST_F(WindowsOnlyAnyWindowsTest, PlantedDllsStayOutOfThePackage) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine prefers its own DLLs to planted ones unless told otherwise; "
                        "e2e_planted_dlls checks this under Wine with native overrides";
    LayOut("planted-install");
    const std::string downloads = test::FreshTempFolder("planted-downloads");
    const std::string cwd = test::FreshTempFolder("planted-cwd");
    const std::string onPath = test::FreshTempFolder("planted-path");
    const std::string planted = test::TestBinFolder() + "planted.dll";
    ASSERT_TRUE(CopyFileA(Package().c_str(), (downloads + "TelvoUpdate.exe").c_str(), FALSE));
    for (const std::string& folder : {downloads, cwd, onPath, Folder})
        for (const char* name : {"version", "uxtheme", "dwmapi", "cryptbase", "profapi", "userenv",
                                 "propsys", "winmm", "shcore", "imm32"})
            ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + name + ".dll").c_str(), FALSE));
    DeleteFileA(kPlantedLog);
    // The control: planted.dll notes its loading on this machine.
    const std::string control = downloads + "planted-control.dll";
    ASSERT_TRUE(CopyFileA(planted.c_str(), control.c_str(), FALSE));
    HMODULE loaded = LoadLibraryA(control.c_str());
    ASSERT_TRUE(loaded);
    FreeLibrary(loaded);
    ASSERT_NE(test::ReadWholeFile(kPlantedLog).find("planted-control.dll"), std::string::npos)
        << "planted.dll noted nothing, so its silence below would prove nothing";
    DeleteFileA(kPlantedLog);

    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    // The package inherits both.
    SetCurrentDirectoryA(cwd.c_str());
    std::string path(GetEnvironmentVariableA("PATH", nullptr, 0), '\0');
    path.resize(GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size())));
    SetEnvironmentVariableA("PATH", (onPath + ";" + path).c_str());
    const TBotRun run =
        RunAnsweringBoxes("\"" + downloads + "TelvoUpdate.exe\"", {TButton::Yes, TButton::Yes});
    SetEnvironmentVariableA("PATH", path.c_str());
    SetCurrentDirectoryA(before);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Boxes.size(), 2u);
    // The package has ended: whatever it loaded, planted.dll has noted.
    const std::string log = test::ReadWholeFile(kPlantedLog);
    EXPECT_EQ(log.find("TelvoUpdate.exe"), std::string::npos) << log;
    std::printf("planted DLLs: none loaded into the package; loads elsewhere:\n%s", log.c_str());
    DeleteFileA(kPlantedLog);
    test::RemoveFolderTree(downloads);
    test::RemoveFolderTree(cwd);
    test::RemoveFolderTree(onPath);
}

// The folder the package is given lies behind a junction in its chain: the package installs into
// the directory that resolves to, and nothing outside it changes. Symbolic links at leftover
// names there, pointing outside, are left alone and their targets untouched.
TEST_F(WindowsOnlyAnyWindowsTest, JunctionInTheFolderChainLeadsToTheFolderItResolvesTo) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << kNoLinksUnderWine;
    ASSERT_NO_FATAL_FAILURE(LayOutBehindALink("junction-chain", "real\\Telvo\\", "link\\Telvo"));
    const std::string installed = Folder + "real\\Telvo\\";
    const std::string outside = Folder + "outside\\";
    const TJunction junction(Folder + "link", "\\??\\" + Folder + "real");
    ASSERT_TRUE(junction.Made) << "no junction could be made, error " << GetLastError();
    for (const char* name : kLeftoverNames) {
        test::WriteFileBytes(outside + name, std::string("outside, keep: ") + name);
        ASSERT_TRUE(CreateSymbolicLinkA((installed + name).c_str(), (outside + name).c_str(), 0))
            << "no symbolic link could be made, error " << GetLastError();
    }
    const std::map<std::string, std::string> before = FolderContents(outside);

    const TBotRun run = RunAnsweringBoxes("\"" + Package() + "\" modest", {});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Boxes.empty());
    EXPECT_EQ(test::ReadDataVersion(installed + "vost.cok"), kCarriedVersion);
    EXPECT_EQ(FolderContents(outside), before);
    std::vector<std::string> expected = {"language", "telvo.exe", "vost.cok"};
    expected.insert(expected.end(), std::begin(kLeftoverNames), std::end(kLeftoverNames));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::FolderNames(installed), expected) << "links left alone, nothing else made";
    for (const char* name : kLeftoverNames) {
        const DWORD attributes = GetFileAttributesA((installed + name).c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            << name << " is no longer the link that was planted";
    }
    const std::vector<std::string> top = {"link", "outside", "real"};
    EXPECT_EQ(test::FolderNames(Folder), top);
}

// The folder is a mount point to "\\RPC Control", where object-manager links lead to the
// application and its language files and, under the data file's name and under leftover names,
// to files outside. That folder opens as no file-system directory, so no application is there:
// the built-in box, exit code 2, and no file anywhere is created, replaced or deleted.
TEST_F(WindowsOnlyAnyWindowsTest, ObjectManagerLinksInTheFolderReachNothingOutsideIt) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << kNoLinksUnderWine;
    ASSERT_NO_FATAL_FAILURE(LayOutBehindALink("object-links", "real\\", "mount"));
    const std::string real = Folder + "real\\";
    const std::string outside = Folder + "outside\\";
    std::vector<TUniqueHandle<TKernelHandleTraits>> links;
    links.push_back(ObjectLink("telvo.exe", "\\??\\" + real + "telvo.exe"));
    links.push_back(ObjectLink("language", "\\??\\" + real + "language"));
    // The data file's name leads to a file outside that exists; of the leftover names, some
    // lead to files that exist (to be replaced or deleted), some to names that do not (to be
    // created).
    test::WriteFileBytes(outside + "victim.cok", "outside, keep");
    links.push_back(ObjectLink("vost.cok", "\\??\\" + outside + "victim.cok"));
    for (size_t i = 0; i < std::size(kLeftoverNames); ++i) {
        const std::string target = outside + "leftover-" + std::to_string(i) + ".cok";
        if (i % 2 == 0)
            test::WriteFileBytes(target, "outside, keep " + std::to_string(i));
        links.push_back(ObjectLink(kLeftoverNames[i], "\\??\\" + target));
    }
    for (const auto& link : links) ASSERT_TRUE(link) << "an object-manager link could not be made";
    const TJunction mount(Folder + "mount", "\\RPC Control");
    ASSERT_TRUE(mount.Made) << "no mount point could be made, error " << GetLastError();
    ASSERT_NE(GetFileAttributesA((Folder + "mount\\telvo.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the links do not lead the package to the application";
    const std::map<std::string, std::string> outsideBefore = FolderContents(outside);
    const std::map<std::string, std::string> realBefore = FolderContents(real);

    const TBotRun run = RunAnsweringBoxes("\"" + Package() + "\" modest", {});
    TELVO_SKIP_UNANSWERED(run);
    EXPECT_EQ(run.ExitCode, 2);
    ASSERT_EQ(run.Boxes.size(), 1u);
    // "There's no Telvo installed", in English or Russian by the user's language.
    EXPECT_TRUE(run.Boxes[0].Text.find("There's no Telvo installed") != std::string::npos ||
                run.Boxes[0].Text.find("Тельво") != std::string::npos)
        << run.Boxes[0].Text;
    EXPECT_EQ(FolderContents(outside), outsideBefore);
    EXPECT_EQ(FolderContents(real), realBefore);
    const std::vector<std::string> top = {"mount", "outside", "real"};
    EXPECT_EQ(test::FolderNames(Folder), top);
}

// A junction inside the install folder, leading to a folder outside it, adds nothing to the
// folder's measured size.
TEST_F(WindowsOnlyAnyWindowsTest, JunctionInsideTheFolderIsNotMeasured) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << kNoLinksUnderWine;
    Folder = LongPath(test::FreshTempFolder("junction-size"));
    const std::string installed = Folder + "installed\\";
    ASSERT_TRUE(CreateDirectoryA(installed.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Folder + "outside").c_str(), nullptr));
    test::WriteFileBytes(installed + "own.bin", std::string(8192, 'o'));
    test::WriteFileBytes(Folder + "outside\\big.bin", std::string(1 << 20, 'x'));
    const TJunction junction(installed + "linked", "\\??\\" + Folder + "outside");
    ASSERT_TRUE(junction.Made) << "no junction could be made, error " << GetLastError();
    EXPECT_EQ(GetFolderSize(TInstallDirectory::Open(installed)), 8);
}

// The private-namespace calls, looked up: a program bound to them does not start on Windows XP.
struct TNamespaceCalls {
    decltype(&CreateBoundaryDescriptorA) CreateBoundary =
        Find<decltype(CreateBoundary)>("CreateBoundaryDescriptorA");
    decltype(&AddSIDToBoundaryDescriptor) AddSid =
        Find<decltype(AddSid)>("AddSIDToBoundaryDescriptor");
    decltype(&DeleteBoundaryDescriptor) DeleteBoundary =
        Find<decltype(DeleteBoundary)>("DeleteBoundaryDescriptor");
    decltype(&CreatePrivateNamespaceA) CreateNamespace =
        Find<decltype(CreateNamespace)>("CreatePrivateNamespaceA");
    decltype(&ClosePrivateNamespace) CloseNamespace =
        Find<decltype(CloseNamespace)>("ClosePrivateNamespace");

    template <typename TEntry>
    static TEntry Find(const char* name) {
        return reinterpret_cast<TEntry>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
    }
};

// The writer lock's names as a standard user's program can take them first: made and held by
// this thread while it impersonates a token of its own user without administrator rights
// (Administrators for deny only, no privileges, medium integrity, the user as owner), with the
// DACL `sddl`. Either the global mutex `name`, or, given `alias`, the private namespace of that
// alias, made with the first boundary the system lets that token make (the Administrators SID,
// which bounds the package's own namespace, with the High label from Windows 8 on; else the
// user's own SID), and the mutex `name` inside it.
class TNonAdministratorLock {
  public:
    TNonAdministratorLock(const char* name, const char* sddl, const char* alias = nullptr)
        : Failed(Take(name, sddl, alias)) {}
    ~TNonAdministratorLock() {
        if (Mutex)
            ReleaseMutex(Mutex.get());
        Mutex.reset();
        if (Namespace)
            Calls.CloseNamespace(Namespace, 0);
        if (Boundary)
            Calls.DeleteBoundary(Boundary);
    }
    TNonAdministratorLock(const TNonAdministratorLock&) = delete;
    TNonAdministratorLock& operator=(const TNonAdministratorLock&) = delete;
    // Empty when the lock was made by this thread and is held; otherwise what failed.
    const std::string& Failure() const { return Failed; }
    // The boundary the namespace was made with: "Administrators" or "user".
    const std::string& BoundaryName() const { return Bounded; }

  private:
    static std::string Failing(const char* step) {
        return std::string(step) + " failed, error " + std::to_string(GetLastError());
    }
    std::string Take(const char* name, const char* sddl, const char* alias) {
        TTokenHandle own, restricted, token;
        SID_IDENTIFIER_AUTHORITY label = SECURITY_MANDATORY_LABEL_AUTHORITY;
        const TSid administrators = AdministratorsSid();
        TSid medium;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, own.put()) ||
            !administrators ||
            !AllocateAndInitializeSid(&label, 1, SECURITY_MANDATORY_MEDIUM_RID, 0, 0, 0, 0, 0, 0, 0,
                                      medium.put()))
            return Failing("reading the own token");
        SID_AND_ATTRIBUTES denied{administrators.get(), 0};
        if (!CreateRestrictedToken(own.get(), DISABLE_MAX_PRIVILEGE, 1, &denied, 0, nullptr, 0,
                                   nullptr, restricted.put()) ||
            !DuplicateTokenEx(restricted.get(), TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                              TokenImpersonation, token.put()))
            return Failing("making the restricted token");
        TOKEN_MANDATORY_LABEL integrity{{medium.get(), SE_GROUP_INTEGRITY}};
        if (!SetTokenInformation(token.get(), TokenIntegrityLevel, &integrity,
                                 sizeof integrity + GetLengthSid(medium.get())))
            return Failing("lowering the integrity");
        std::vector<BYTE> user(256);
        DWORD size = 0;
        if (!GetTokenInformation(token.get(), TokenUser, user.data(),
                                 static_cast<DWORD>(user.size()), &size))
            return Failing("reading the user");
        const PSID userSid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
        TOKEN_OWNER owner{userSid};
        if (!SetTokenInformation(token.get(), TokenOwner, &owner, sizeof owner))
            return Failing("making the user the owner");
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            return Failing("reading the DACL");
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
        if (!SetThreadToken(nullptr, token.get())) {
            LocalFree(descriptor);
            return Failing("impersonating");
        }
        std::string failure;
        if (alias)
            failure = MakeNamespace(alias, attributes, {administrators.get(), userSid});
        if (failure.empty()) {
            Mutex.reset(CreateMutexA(&attributes, TRUE, name));
            failure = !Mutex                                   ? Failing("making the mutex")
                      : GetLastError() == ERROR_ALREADY_EXISTS ? "the name was taken already"
                                                               : "";
        }
        RevertToSelf();
        LocalFree(descriptor);
        return failure;
    }
    std::string MakeNamespace(const char* alias, SECURITY_ATTRIBUTES& attributes,
                              const std::vector<PSID>& boundaries) {
        if (!Calls.CreateBoundary || !Calls.AddSid || !Calls.DeleteBoundary ||
            !Calls.CreateNamespace || !Calls.CloseNamespace)
            return "this Windows has no private namespaces";
        for (PSID sid : boundaries) {
            Boundary = Calls.CreateBoundary(alias, 0);
            if (!Boundary || !Calls.AddSid(&Boundary, sid))
                return Failing("making the boundary");
            Namespace = Calls.CreateNamespace(&attributes, Boundary, alias);
            if (Namespace) {
                Bounded = sid == boundaries.front() ? "Administrators" : "user";
                return "";
            }
            Calls.DeleteBoundary(Boundary);
            Boundary = nullptr;
        }
        return Failing("making the namespace");
    }

    TNamespaceCalls Calls;
    void* Boundary = nullptr;
    void* Namespace = nullptr;
    TMutexHandle Mutex;
    std::string Failed;
    std::string Bounded;
};

// The writer lock's names as a non-administrator can take them first: the namespace alias of
// the package's lock, with a boundary of the user's own making, and the global name the lock has
// where the system has no private namespaces. Made first and held, open to everybody or denying
// administrators, they make no update wait (the writer waits up to a minute for another run) or
// fail.
TEST_F(WindowsOnlyAnyWindowsTest, WriterLockOfANonAdministratorHoldsUpNoUpdate) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine has no private namespaces (CreateBoundaryDescriptorA is "
                        "unimplemented), so the package keeps its writer lock under the global "
                        "name there, which anybody can take; this check needs Windows";
    LayOut("squatted-lock");
    // The package adds the High label to its boundary where this Windows offers it (Windows 8 on).
    const char* boundary =
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "AddIntegrityLabelToBoundaryDescriptor")
            ? "the Administrators SID and the High integrity label"
            : "the Administrators SID alone";
    for (const char* dacl : {"D:(A;;GA;;;WD)", "D:(D;;GA;;;BA)(A;;GA;;;WD)"}) {
        SCOPED_TRACE(dacl);
        ASSERT_TRUE(test::WriteVersionedDataFile(Folder + "vost.cok", 40, 64 * 1024));
        const TNonAdministratorLock global("Global\\TelvoUpdate.DataFileWriter", dacl);
        ASSERT_EQ(global.Failure(), "") << "the global name could not be taken first";
        const TNonAdministratorLock inNamespace("TelvoUpdate\\DataFileWriter", dacl, "TelvoUpdate");
        ASSERT_EQ(inNamespace.Failure(), "") << "the namespace alias could not be taken first";
        SCOPED_TRACE("namespace bounded by " + inNamespace.BoundaryName());
        const ULONGLONG start = GetTickCount64();
        const TBotRun run = RunAnsweringBoxes("\"" + Package() + "\" modest", {}, 90000);
        const ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_TRUE(run.Boxes.empty());
        EXPECT_EQ(test::ReadDataVersion(Folder + "vost.cok"), kCarriedVersion);
        EXPECT_LT(elapsed, 30000u) << "the update waited for the lock";
        std::printf(
            "writer lock, %s: the non-administrator bounded its namespace by %s; the "
            "package's, bounded by %s, %s\n",
            dacl, inNamespace.BoundaryName().c_str(), boundary,
            elapsed < 30000 ? "held" : "did not hold");
    }
}

// An exclusive opportunistic lock (read, write and handle caching) on the file at `path`, as any
// user who may read the file can take one, through a handle of its own; its break is never
// acknowledged, so an open that waited for the break would wait for ever. Let go at the end.
// On a folder (a path ending in "\"), the read and handle caching lock that folders take,
// through a handle that does not share the folder for writing, as any user who may list the
// folder can take it. With `attributesOnly`, a read and handle caching lock on the file through
// a handle opened for its attributes alone, which passes every share mode: a rename or a delete
// of the file (or a rename over it) breaks it and waits for the acknowledgement.
class TUnacknowledgedOplock {
  public:
    explicit TUnacknowledgedOplock(const std::string& path, bool attributesOnly = false,
                                   int attempts = 50)
        : File(CreateFileA(path.c_str(), attributesOnly ? FILE_READ_ATTRIBUTES : GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_DELETE |
                               (IsFolder(path) && !attributesOnly ? 0 : FILE_SHARE_WRITE),
                           nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | (IsFolder(path) ? FILE_FLAG_BACKUP_SEMANTICS : 0),
                           nullptr)),
          Done(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        Overlapped.hEvent = Done.get();
        REQUEST_OPLOCK_INPUT_BUFFER input{
            REQUEST_OPLOCK_CURRENT_VERSION, sizeof input,
            static_cast<DWORD>(OPLOCK_LEVEL_CACHE_READ | OPLOCK_LEVEL_CACHE_HANDLE |
                               (IsFolder(path) || attributesOnly ? 0 : OPLOCK_LEVEL_CACHE_WRITE)),
            REQUEST_OPLOCK_INPUT_FLAG_REQUEST};
        // Granted, the request stays pending until the lock breaks. Another opener of the file
        // (a virus scanner after its write) keeps an exclusive lock from being granted a while.
        for (int attempt = 0; attempt < attempts && File && Done && !Granted; ++attempt) {
            if (attempt > 0)
                Sleep(100);
            Granted = !DeviceIoControl(File.get(), FSCTL_REQUEST_OPLOCK, &input, sizeof input,
                                       &Output, sizeof Output, nullptr, &Overlapped) &&
                      GetLastError() == ERROR_IO_PENDING;
        }
        Error = Granted ? 0 : GetLastError();
    }
    ~TUnacknowledgedOplock() {
        if (!Granted)
            return;
        CancelIoEx(File.get(), &Overlapped);
        DWORD ignored = 0;
        GetOverlappedResult(File.get(), &Overlapped, &ignored, TRUE);
    }
    TUnacknowledgedOplock(const TUnacknowledgedOplock&) = delete;
    TUnacknowledgedOplock& operator=(const TUnacknowledgedOplock&) = delete;

    bool Granted = false;
    DWORD Error = 0;  // why it was not granted
    // True once an open of another process broke the lock.
    bool Broken() const { return WaitForSingleObject(Done.get(), 0) == WAIT_OBJECT_0; }

  private:
    static bool IsFolder(const std::string& path) { return !path.empty() && path.back() == '\\'; }

    TFileHandle File;
    TEventHandle Done;
    OVERLAPPED Overlapped{};
    REQUEST_OPLOCK_OUTPUT_BUFFER Output{REQUEST_OPLOCK_CURRENT_VERSION,
                                        sizeof(REQUEST_OPLOCK_OUTPUT_BUFFER)};
};

// Opportunistic locks on the data file, on a language file and on the install folder itself,
// broken by the package's opens and never acknowledged, hold up no open: the version read gives
// up after its attempts ("filecantopen", exit 6), a silent write after its wait (exit 1618, the
// old file kept), a language file under such a lock is one that cannot be read (exit 3), and the
// folder, held without write sharing, is in use after the folder's wait (1618 silent, 7
// otherwise), never missing.
TEST_F(WindowsOnlyAnyWindowsTest, UnacknowledgedOplocksHoldUpNoRun) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine has no opportunistic locks (FSCTL_REQUEST_OPLOCK), so what an "
                        "open meets at a lock whose break is never acknowledged only Windows "
                        "can show";
    LayOut("oplocks");
    const struct {
        const char* file;
        const char* arguments;
        int exitCode;
    } cases[] = {{"vost.cok", "", 6},
                 {"vost.cok", "modest", 1618},
                 {"language\\english.lng", "modest", 3},
                 {"", "modest", 1618},
                 {"", "", 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.arguments);
        {
            const TUnacknowledgedOplock oplock(Folder + c.file);
            // Folders take opportunistic locks from Windows 8 on; the folder's cases come last.
            if (!*c.file && !oplock.Granted)
                GTEST_SKIP() << "this Windows grants no opportunistic lock on a folder, error "
                             << GetLastError();
            ASSERT_TRUE(oplock.Granted) << "no oplock could be had, error " << GetLastError();
            const TBotRun run =
                RunAnsweringBoxes("\"" + Package() + "\" " + c.arguments, {}, 60000);
            TELVO_SKIP_UNANSWERED(run);
            EXPECT_EQ(run.ExitCode, c.exitCode);
            EXPECT_FALSE(run.Boxes.empty());
            EXPECT_TRUE(oplock.Broken()) << "the package never met the lock";
        }
        EXPECT_EQ(test::ReadDataVersion(Folder + "vost.cok"), 40);
    }
}

// Read and handle caching locks taken through handles opened for the attributes alone, which
// pass the package's share modes, and never let go of: on the installed data file (the rename
// over it breaks the lock), on a leftover of an earlier run (its delete breaks it) and on the
// run's new file, taken as soon as its name appears (its rename breaks it). Each run ends within
// the bounds of its waits: held at the rename, as one that met a holder of the data file (1618,
// the old file whole, the new one left as a leftover); a held leftover is skipped, and the update
// is installed.
TEST_F(WindowsOnlyAnyWindowsTest, UnacknowledgedOplocksHoldUpNoRenameOrDelete) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine has no opportunistic locks (FSCTL_REQUEST_OPLOCK), so what a "
                        "rename or a delete meets at a lock whose break is never acknowledged "
                        "only Windows can show";
    LayOut("oplocked-renames");
    constexpr char kLeftover[] = "vost.cok.0badf00d.tmp";
    const struct {
        const char* file;  // empty: the run's new file
        int exitCode;
        int version;
    } cases[] = {{"vost.cok", 1618, 40}, {kLeftover, 0, kCarriedVersion}, {"", 1618, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(*c.file ? c.file : "the run's new file");
        ASSERT_TRUE(test::WriteVersionedDataFile(Folder + "vost.cok", 40, 64 * 1024));
        // Only this case's leftover: an earlier run's new file would be taken for this run's.
        for (const std::string& name : test::FolderNames(Folder))
            if (name.rfind("vost.cok.", 0) == 0)
                DeleteFileA((Folder + name).c_str());
        if (c.file == std::string(kLeftover))
            test::WriteFileBytes(Folder + kLeftover, "left over");
        std::unique_ptr<TUnacknowledgedOplock> oplock;
        if (*c.file) {
            oplock = std::make_unique<TUnacknowledgedOplock>(Folder + c.file, true);
            // Nobody can hold up the run where Windows grants nobody such a lock.
            if (!oplock->Granted) {
                std::printf(
                    "no read-handle oplock through an attributes-only handle on %s, "
                    "error %lu: nothing to hold the run up\n",
                    c.file, oplock->Error);
                continue;
            }
        }
        std::atomic<bool> ended{false};
        DWORD newFileError = 0;
        // The run's new file: its name is looked for until it appears, and locked at once.
        std::thread watcher([&] {
            while (!*c.file && !ended && !oplock) {
                WIN32_FIND_DATAA found{};
                const TFindHandle find(
                    FindFirstFileA((Folder + "vost.cok.????????.tmp").c_str(), &found));
                if (!find)
                    continue;
                auto taken =
                    std::make_unique<TUnacknowledgedOplock>(Folder + found.cFileName, true, 1);
                if (taken->Granted)
                    oplock = std::move(taken);
                else
                    newFileError = taken->Error;
            }
        });
        const ULONGLONG start = GetTickCount64();
        const TBotRun run = RunAnsweringBoxes("\"" + Package() + "\" modest", {}, 60000);
        const ULONGLONG elapsed = GetTickCount64() - start;
        ended = true;
        watcher.join();
        if (!oplock) {
            // Windows grants no read caching lock on a file that another handle may write.
            std::printf("no oplock on the run's new file (last error %lu): the run was not held\n",
                        newFileError);
            EXPECT_EQ(run.ExitCode, 0);
            continue;
        }
        EXPECT_EQ(run.ExitCode, c.exitCode);
        EXPECT_EQ(run.Boxes.empty(), c.exitCode == 0);
        EXPECT_TRUE(oplock->Broken()) << "the package never met the lock";
        EXPECT_LT(elapsed, 20000u) << "a wait past its bound";
        EXPECT_EQ(test::ReadDataVersion(Folder + "vost.cok"), c.version);
        oplock.reset();
    }
}

// An exclusive lock on the package's own file, taken while the package is started but has not
// yet run, and never let go of: its self-check's open meets the lock's break under way, waits as
// for a held data file, and the run ends with "verificationfail" (5), the old file whole. Run
// where nobody can answer a box, so none waits for the harness.
TEST_F(WindowsOnlyAnyWindowsTest, AnUnacknowledgedOplockOnThePackageEndsItsSelfCheck) {
    if (test::RunsUnderWine())
        GTEST_SKIP() << "Wine has no opportunistic locks (FSCTL_REQUEST_OPLOCK), so what the "
                        "self-check's open meets at a lock whose break is never acknowledged "
                        "only Windows can show";
    LayOut("oplocked-package");
    ASSERT_TRUE(test::WriteVersionedDataFile(Folder + "vost.cok", 40, 64 * 1024));
    const std::string copy = test::FreshTempFolder("oplocked-package-copy") + "TelvoUpdate.exe";
    ASSERT_TRUE(CopyFileA(Package().c_str(), copy.c_str(), FALSE));
    std::string desktop = test::HiddenDesktop();
    std::string commandLine = "\"" + copy + "\" modest";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop.data();
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                               CREATE_SUSPENDED, nullptr, nullptr, &startup, &started))
        << "error " << GetLastError();
    const TProcessHandle process(started.hProcess);
    const TThreadHandle thread(started.hThread);
    {
        const TUnacknowledgedOplock oplock(copy, false, 5);
        if (!oplock.Granted) {
            TerminateProcess(process.get(), 255);
            WaitForSingleObject(process.get(), 5000);
            GTEST_SKIP() << "this Windows grants no exclusive oplock on a started program's file "
                            "(error "
                         << oplock.Error << "), so nobody can hold the self-check's open";
        }
        ResumeThread(thread.get());
        const bool ended = WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0;
        if (!ended)
            TerminateProcess(process.get(), 255);
        ASSERT_TRUE(ended) << "the package waited for the lock (or its start did)";
        EXPECT_TRUE(oplock.Broken()) << "the package never met the lock";
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 5u);
    EXPECT_EQ(test::ReadDataVersion(Folder + "vost.cok"), 40);
    test::RemoveFolderTree(copy.substr(0, copy.size() - std::strlen("TelvoUpdate.exe")));
}

}  // namespace
}  // namespace telvo::e2e
