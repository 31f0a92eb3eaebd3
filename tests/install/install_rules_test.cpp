// The deciding parts of the writer and the installed size, without the file system.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "install/data_header.h"
#include "folder/file_in_use.h"
#include "install/folder_walk.h"
#include "install/write_plan.h"

namespace telvo {
namespace {

// Every header byte value maps to its version, and only representable identities have a header.
TEST(DataHeaderTest, VersionByteIsTheVersionPlus32) {
    EXPECT_EQ(DataVersionFromByte(0x4E), 46);
    EXPECT_EQ(DataVersionFromByte(0x00), -32);
    EXPECT_EQ(DataVersionFromByte(0xFF), 223);
    EXPECT_EQ(ExpectedDataHeader("vost", 46), "vost\x4E");
    EXPECT_EQ(ExpectedDataHeader("vost", -32), std::string("vost\0", 5));
    EXPECT_EQ(ExpectedDataHeader("vost", 224), "");
    EXPECT_EQ(ExpectedDataHeader("vos", 46), "");
    // Versions near the ends of the 32-bit range are refused, not wrapped into a byte.
    EXPECT_EQ(ExpectedDataHeader("vost", INT32_MAX - 6), "");
    EXPECT_EQ(ExpectedDataHeader("vost", INT32_MIN), "");
    EXPECT_EQ(DataHeaderMismatch("vost\x4E", "vost", INT32_MAX),
              "the version 2147483647 cannot be stored in the header's version byte (it must lie "
              "in -32..223)");
}

// The build's check accepts exactly the header the package's identity demands and names what
// disagrees otherwise.
TEST(DataHeaderTest, MismatchNamesWhatDisagrees) {
    struct Case {
        std::string_view start;
        std::string_view baseName;
        int32_t version;
        std::string expected;  // empty: the header fits
    } cases[] = {
        {"vost\x4E rest of file", "vost", 46, ""},
        {"vost\x4E", "vost", 46, ""},
        {"vost\x4F", "vost", 46, "the file's version byte stands for version 47, not 46"},
        {"VOST\x4E", "vost", 46,
         "the file begins with \"VOST\" where the base name \"vost\" belongs"},
        {std::string_view("\0\0\0\0\x4E", 5), "vost", 46,
         "the file begins with \"\\x00\\x00\\x00\\x00\" where the base name \"vost\" belongs"},
        {"vost", "vost", 46, "the file is 4 bytes long, shorter than its five-byte header"},
        {"", "vost", 46, "the file is 0 bytes long, shorter than its five-byte header"},
        {"vosts\x4E", "vosts", 46,
         "the base name \"vosts\" cannot be the header's magic, which is exactly four bytes"},
        {"vost\x4E", "vost", 300,
         "the version 300 cannot be stored in the header's version byte (it must lie in "
         "-32..223)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataHeaderMismatch(c.start, c.baseName, c.version), c.expected) << c.start;
}

// The sum wraps in 32 bits and only whole kilobytes count.
TEST(SizeArithmeticTest, LowDoubleWordsWrapAndKilobytesRoundDown) {
    struct Case {
        uint32_t total;
        int32_t kilobytes;
    } cases[] = {{0, 0}, {1023, 0}, {1024, 1}, {1048576, 1024}, {0xFFFFFFFFu, 4194303}};
    for (const Case& c : cases) EXPECT_EQ(SizeInKilobytes(c.total), c.kilobytes) << c.total;
    EXPECT_EQ(AddFileSize(0xFFFFFC00u, 0x800), 0x400u);
}

// Folders from a table, by path; remembers which folders were listed, in order, and how many
// entries were given out. Folders not in the table open but cannot be listed; those in
// `Unopenable` cannot be opened at all.
struct TFakeTree {
    std::map<std::wstring, std::vector<TFolderEntry>> Folders;
    std::set<std::wstring> Unopenable;
    std::vector<std::wstring> Listed;
    size_t Given = 0;

    class TFolder final : public TWalkFolder {
      public:
        TFolder(TFakeTree& tree, std::wstring path) : Tree(tree), Path(std::move(path)) {}
        void List(const TEntrySink& sink) const override {
            Tree.Listed.push_back(Path);
            auto found = Tree.Folders.find(Path);
            if (found != Tree.Folders.end())
                for (const TFolderEntry& entry : found->second)
                    if (++Tree.Given, !sink(entry))
                        return;
        }
        std::unique_ptr<TWalkFolder> OpenFolder(std::wstring_view name) const override {
            std::wstring path = Path + std::wstring(name) + L"\\";
            if (Tree.Unopenable.count(path))
                return nullptr;
            return std::make_unique<TFolder>(Tree, std::move(path));
        }

      private:
        TFakeTree& Tree;
        std::wstring Path;
    };

    std::optional<uint32_t> Walk(const std::wstring& top, const TWalkBound& bound = {}) {
        return WalkFolderTree(TFolder(*this, top), bound);
    }
};

constexpr uint32_t kDir = kAttributeDirectory;

// Breadth-first: the top folder, then sub-folders in the order found; each listed once, "."
// and ".." neither counted nor entered, folders that cannot be listed or opened skipped.
TEST(FolderWalkTest, ListsBreadthFirstInTheOrderFound) {
    TFakeTree tree;
    tree.Folders[L"C:\\A\\"] = {{L".", kDir, 0},     {L"..", kDir, 0}, {L"x", kDir, 0},
                                {L"f1", 0x20, 1000}, {L"y", kDir, 0},  {L"locked", kDir, 0},
                                {L"gone", kDir, 0}};
    tree.Folders[L"C:\\A\\x\\"] = {
        {L".", kDir, 0}, {L"..", kDir, 0}, {L"deep", kDir, 0}, {L"h", 0x02 | 0x04 | 0x01, 24}};
    tree.Folders[L"C:\\A\\y\\"] = {{L"f2", 0x80, 2000}};
    tree.Folders[L"C:\\A\\x\\deep\\"] = {{L"f3", 0x20, 4096}};
    tree.Unopenable = {L"C:\\A\\gone\\"};
    EXPECT_EQ(tree.Walk(L"C:\\A\\"), 1000u + 24 + 2000 + 4096);
    EXPECT_EQ(tree.Listed, (std::vector<std::wstring>{L"C:\\A\\", L"C:\\A\\x\\", L"C:\\A\\y\\",
                                                      L"C:\\A\\locked\\", L"C:\\A\\x\\deep\\"}));
}

// A link to a folder is not entered, so a link back to its parent cannot loop; one the listing
// does not mark is left to the opening, which refuses it.
TEST(FolderWalkTest, LinksToFoldersAreNotEntered) {
    TFakeTree tree;
    tree.Folders[L"C:\\A\\"] = {
        {L"loop", kDir | kAttributeReparsePoint, 0}, {L"unmarked", kDir, 0}, {L"f", 0x20, 1024}};
    tree.Folders[L"C:\\A\\loop\\"] = tree.Folders[L"C:\\A\\"];
    tree.Folders[L"C:\\A\\unmarked\\"] = tree.Folders[L"C:\\A\\"];
    tree.Unopenable = {L"C:\\A\\unmarked\\"};
    EXPECT_EQ(tree.Walk(L"C:\\A\\"), 1024u);
    EXPECT_EQ(tree.Listed, std::vector<std::wstring>{L"C:\\A\\"});
}

// Sizes of 4 GiB and more count modulo 4 GiB, summed in 32 bits.
TEST(FolderWalkTest, TotalsWrapModulo4GiB) {
    TFakeTree tree;
    tree.Folders[L"C:\\A\\"] = {{L"big", 0x20, 0xFFFFF800u}, {L"sub", kDir, 0}};
    tree.Folders[L"C:\\A\\sub\\"] = {{L"more", 0x20, 0x1000}};
    EXPECT_EQ(tree.Walk(L"C:\\A\\"), 0x800u);
}

// A tree of 2 + 3 + 1000 entries ("." and ".." not counted), the big folder last.
TFakeTree BoundedTree() {
    TFakeTree tree;
    tree.Folders[L"C:\\A\\"] = {
        {L".", kDir, 0}, {L"..", kDir, 0}, {L"s", kDir, 0}, {L"f", 0x20, 1}};
    tree.Folders[L"C:\\A\\s\\"] = {{L"big", kDir, 0}, {L"g", 0x20, 2}, {L"h", 0x20, 4}};
    tree.Folders[L"C:\\A\\s\\big\\"] = std::vector<TFolderEntry>(1000, {L"x", 0x20, 8});
    return tree;
}

// Up to the bound of entries the walk gives the total; one entry past it, none, and the walk
// stops there, within the listing of a folder too.
TEST(FolderWalkTest, MoreEntriesThanTheBoundGiveNoTotal) {
    EXPECT_EQ(BoundedTree().Walk(L"C:\\A\\", {1005, {}}), 1u + 2 + 4 + 8000);
    EXPECT_EQ(BoundedTree().Walk(L"C:\\A\\", {1004, {}}), std::nullopt);
    TFakeTree tree = BoundedTree();
    EXPECT_EQ(tree.Walk(L"C:\\A\\", {500, {}}), std::nullopt);
    EXPECT_EQ(tree.Given, 4u + 3 + 496);
    tree = BoundedTree();
    EXPECT_EQ(tree.Walk(L"C:\\A\\", {3, {}}), std::nullopt);
    EXPECT_EQ(tree.Listed.size(), 2u);
    EXPECT_EQ(tree.Given, 4u + 2);
}

// Once its time is up the walk stops at the next entry and gives no total.
TEST(FolderWalkTest, AWalkWhoseTimeIsUpGivesNoTotal) {
    int asked = 0;
    TFakeTree tree = BoundedTree();
    EXPECT_EQ(tree.Walk(L"C:\\A\\", {kWalkEntryLimit, [&] { return ++asked > 4; }}), std::nullopt);
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(tree.Listed.size(), 2u);
    EXPECT_EQ(BoundedTree().Walk(L"C:\\A\\", {kWalkEntryLimit, [] { return false; }}),
              1u + 2 + 4 + 8000);
}

// Targets that an exclusive create would refuse are refused before anything is written.
TEST(WritePlanTest, RefusesReadOnlyHiddenSystemAndFolders) {
    struct Case {
        uint32_t attributes;
        bool refused;
    } cases[] = {{0x80, false}, {0x20, false}, {0x00, false}, {0x01, true},
                 {0x02, true},  {0x04, true},  {0x10, true},  {0x21, true}};
    for (const Case& c : cases)
        EXPECT_EQ(RefusesReplacement(c.attributes), c.refused) << std::hex << c.attributes;
}

// The temporary name is the target's name with a tag: it lies in the target's own folder, so
// the final move is a rename.
TEST(WritePlanTest, TemporaryNameExtendsTheTargetsName) {
    EXPECT_EQ(TemporaryPathFor("vost.cok", 0x1234ABu), "vost.cok.001234ab.tmp");
    EXPECT_EQ(TemporaryPathFor("vost.cok", 0xFFFFFFFFu), "vost.cok.ffffffff.tmp");
}

// Only the writer's own temporary names count as leftovers: any other file in the install
// folder, however alike, is never removed.
TEST(WritePlanTest, LeftoversAreRecognisedByTheWritersNamePatternOnly) {
    const std::string ours = TemporaryPathFor("vost.cok", 0x00C0FFEEu);
    struct Case {
        const char* name;
        bool leftover;
    } cases[] = {{"vost.cok.00c0ffee.tmp", true},
                 {"VOST.COK.00C0FFEE.TMP", true},
                 {"vost.cok.ffffffff.tmp", true},
                 {"vost.cok", false},
                 {"vost.cok.tmp", false},
                 {"vost.cok.0c0ffee.tmp", false},
                 {"vost.cok.000c0ffee.tmp", false},
                 {"vost.cok.00c0ffeg.tmp", false},
                 {"vost.cok.00c0ffee.tmp.txt", false},
                 {"vost.cok.00c0ffee_tmp", false},
                 {"other.cok.00c0ffee.tmp", false},
                 {"xvost.cok.00c0ffee.tmp", false},
                 {"vost.cok-00c0ffee.tmp", false},
                 {"telvo.exe", false},
                 {"", false}};
    EXPECT_TRUE(IsTemporaryNameFor("vost.cok", ours)) << ours;
    for (const Case& c : cases)
        EXPECT_EQ(IsTemporaryNameFor("vost.cok", c.name), c.leftover) << c.name;
    EXPECT_FALSE(IsTemporaryNameFor("", ".00c0ffee.tmp"));
}

// The writer works only in folders of a file system: the device and object namespaces, where
// a name reaches devices and object-manager links, are refused before anything is opened.
TEST(WritePlanTest, OnlyFileSystemFoldersAreWrittenTo) {
    struct Case {
        const char* folder;
        bool accepted;
    } cases[] = {{"C:\\Program Files\\Telvo\\", true},
                 {"c:/Telvo/", true},
                 {"\\\\server\\share\\Telvo\\", true},
                 {"\\\\?\\C:\\Telvo\\", true},
                 {"\\\\?\\UNC\\server\\share\\", true},
                 {"Telvo\\", true},
                 {"", true},
                 {"\\\\?\\GLOBALROOT\\RPC Control\\", false},
                 {"\\\\?\\globalroot\\??\\C:\\Telvo\\", false},
                 {"\\\\.\\C:\\Telvo\\", false},
                 {"//./C:/Telvo/", false},
                 {"\\\\.\\PhysicalDrive0\\", false},
                 {"\\??\\C:\\Telvo\\", false},
                 {"\\\\?\\C:", false},
                 {"\\\\?\\Volume{01234567-89ab-cdef-0123-456789abcdef}\\", false}};
    for (const Case& c : cases) EXPECT_EQ(IsFileSystemFolderPath(c.folder), c.accepted) << c.folder;
}

// An opened entry is the folder's own only where the system places it at folder + name.
TEST(WritePlanTest, EntriesReachedThroughLinksAreNotTheFoldersOwn) {
    const std::wstring folder = L"\\\\?\\C:\\Program Files\\Telvo";
    EXPECT_TRUE(
        IsPathOfEntry(folder, folder + L"\\vost.cok.0badf00d.tmp", L"vost.cok.0badf00d.tmp"));
    EXPECT_TRUE(IsPathOfEntry(folder, L"\\\\?\\c:\\program files\\telvo\\VOST.COK", L"vost.cok"));
    EXPECT_FALSE(IsPathOfEntry(folder, L"\\\\?\\C:\\Windows\\System32\\vost.cok", L"vost.cok"));
    EXPECT_FALSE(IsPathOfEntry(folder, folder + L"\\sub\\vost.cok", L"vost.cok"));
    EXPECT_FALSE(IsPathOfEntry(folder, folder + L"\\other.cok", L"vost.cok"));
    EXPECT_FALSE(IsPathOfEntry(folder, L"", L"vost.cok"));
    EXPECT_FALSE(IsPathOfEntry(folder, folder + L"\\", L""));
}

// The one message carries the full target path and nothing else.
TEST(WritePlanTest, FailureMessagesNameTheTargetExactly) {
    EXPECT_EQ(InstallFailureEnglish("C:\\Telvo\\vost.cok"),
              "Can't install file C:\\Telvo\\vost.cok");
    // Code page 1251, byte for byte.
    EXPECT_EQ(Joined(InstallFailureRussian("C:\\Telvo\\vost.cok")),
              "\xCD\xE5 \xF3\xE4\xE0\xE5\xF2\xF1\xFF \xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC "
              "\xF4\xE0\xE9\xEB C:\\Telvo\\vost.cok");
}

// After a rename reported as failed: the new file goes only where where it lies and its identity
// both say it is not the target, and never on a remote volume; an id of zeros, or identities of
// two widths, tell nothing.
TEST(WritePlanTest, ANewFileGoesOnlyWhereEverythingSaysItIsNotTheTarget) {
    using S = TSameFile;
    using A = TAfterFailedRename;
    const TFileIdentity own{7, {1, 2, 3}, true};
    TFileIdentity zeros = own;
    zeros.Id = {};
    TFileIdentity narrow = own;
    narrow.Wide = false;
    TFileIdentity otherVolume = own;
    otherVolume.Volume = 8;
    TFileIdentity otherFile = own;
    otherFile.Id[15] = 9;
    const struct {
        std::optional<TFileIdentity> found;
        S identity;
    } identities[] = {{own, S::Yes},       {otherFile, S::No},   {otherVolume, S::No},
                      {zeros, S::Unknown}, {narrow, S::Unknown}, {std::nullopt, S::Unknown}};
    for (const auto& c : identities) EXPECT_EQ(SameByIdentity(own, c.found), c.identity);
    EXPECT_EQ(SameByIdentity(zeros, zeros), S::Unknown);
    const struct {
        S byPath, byIdentity, verdict;
        A local, remote;
    } answers[] = {
        {S::Yes, S::Yes, S::Yes, A::Written, A::Written},
        {S::Yes, S::Unknown, S::Yes, A::Written, A::Written},
        {S::Unknown, S::Yes, S::Yes, A::Written, A::Written},
        {S::No, S::No, S::No, A::Delete, A::Keep},
        {S::No, S::Unknown, S::Unknown, A::Undecided, A::Undecided},
        {S::Unknown, S::No, S::Unknown, A::Undecided, A::Undecided},
        {S::No, S::Yes, S::Unknown, A::Undecided, A::Undecided},
        {S::Yes, S::No, S::Unknown, A::Undecided, A::Undecided},
        {S::Unknown, S::Unknown, S::Unknown, A::Undecided, A::Undecided},
    };
    for (const auto& c : answers) {
        const S verdict = SameFileOfAnswers(c.byPath, c.byIdentity);
        EXPECT_EQ(verdict, c.verdict);
        EXPECT_EQ(AfterFailedRename(verdict, false), c.local);
        EXPECT_EQ(AfterFailedRename(verdict, true), c.remote);
    }
}

// Attempts stop at the first result that is not "in use"; waits come only between attempts.
TEST(FileInUseTest, RetriesOnlyWhileInUse) {
    using R = TAttemptResult;
    struct Case {
        std::vector<R> results;  // what each attempt gives; the last repeats
        int attempts;
        int waits;
        R final;
    } cases[] = {
        {{R::Done}, 1, 0, R::Done},
        {{R::Failed}, 1, 0, R::Failed},
        {{R::InUse, R::InUse, R::InUse, R::Done}, 4, 3, R::Done},
        {{R::InUse, R::Failed}, 2, 1, R::Failed},
        {{R::InUse}, kFileInUseAttempts, kFileInUseAttempts - 1, R::InUse},
    };
    for (const Case& c : cases) {
        int attempts = 0;
        int waits = 0;
        const R final = RetryWhileInUse(
            [&] {
                const size_t i = std::min<size_t>(attempts++, c.results.size() - 1);
                return c.results[i];
            },
            [&] { ++waits; });
        EXPECT_EQ(attempts, c.attempts);
        EXPECT_EQ(waits, c.waits);
        EXPECT_EQ(final, c.final);
    }
    EXPECT_EQ(kFileInUseAttempts, 17);
    EXPECT_EQ(kFileInUseRetryDelayMs, 256u);
}

}  // namespace
}  // namespace telvo
