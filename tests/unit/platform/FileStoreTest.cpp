#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <set>
#include <vector>

#include "platform/linux/FileStore.h"
#include "tests/unit/support/TestFiles.h"

namespace zintra::platform::linux_x11 {
namespace {

namespace fs = std::filesystem;

const std::u16string kProgramKey = u"SOFTWARE\\ZintraMouse";

class FileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("zintra-filestore-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        path_ = (directory_ / "zintra" / "store").string();
    }
    void TearDown() override { fs::remove_all(directory_); }

    static std::string Contents(const std::string& path) { return test::ReadFile(path); }
    void Write(const std::string& text) { test::WriteFile(path_, text); }
    static long Set(FileStore& store, const std::u16string& name, std::uint32_t type, const void* data,
                    std::uint32_t size) {
        ScopedRegistryKey key(store);
        const long created = store.CreateKey(RegistryRoot::CurrentUser, kProgramKey, key.Receive());
        return created != reg::kSuccess ? created : store.SetValue(key.Get(), name, type, data, size);
    }
    // The value's type and bytes, or the query's error.
    struct Read {
        long status = reg::kSuccess;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    static Read Get(FileStore& store, const std::u16string& name, const std::u16string& keyPath = kProgramKey) {
        Read read;
        ScopedRegistryKey key(store);
        read.status = store.OpenKey(RegistryRoot::CurrentUser, keyPath, key.Receive());
        if (read.status != reg::kSuccess) return read;
        std::uint32_t size = 0;
        read.status = store.QueryValue(key.Get(), name, &read.type, nullptr, &size);
        if (read.status != reg::kSuccess) return read;
        read.data.resize(size);
        read.status = store.QueryValue(key.Get(), name, &read.type, read.data.data(), &size);
        read.data.resize(size);
        return read;
    }
    static std::set<fs::path> FilesIn(const fs::path& folder) {
        std::set<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) files.insert(entry.path());
        return files;
    }
    std::set<fs::path> Files() const { return FilesIn(fs::path(path_).parent_path()); }
    static std::uint32_t Dword(const Read& read) {
        std::uint32_t value = 0;
        if (read.data.size() == 4) std::memcpy(&value, read.data.data(), 4);
        return value;
    }

    fs::path directory_;
    std::string path_;
};

TEST_F(FileStoreTest, EveryValueTypeReadsBackAfterARestart) {
    std::vector<std::uint8_t> record(424);
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i * 7);  // zeros included
    const std::u16string text = u"按 F8 启动\0";
    const std::uint32_t number = 0xDEADBEEF;
    {
        FileStore store(path_);
        ASSERT_EQ(Set(store, u"MouseData", reg::kBinary, record.data(), 424), reg::kSuccess);
        ASSERT_EQ(Set(store, u"lastRunTime", reg::kSz, text.c_str(), static_cast<std::uint32_t>((text.size() + 1) * 2)),
                  reg::kSuccess);
        ASSERT_EQ(Set(store, u"Update", reg::kDword, &number, 4), reg::kSuccess);
        ASSERT_EQ(Set(store, u"with space %20 and\nline", reg::kNone, nullptr, 0), reg::kSuccess);
    }
    FileStore restarted(path_);
    const Read binary = Get(restarted, u"MouseData");
    EXPECT_EQ(binary.status, reg::kSuccess);
    EXPECT_EQ(binary.type, reg::kBinary);
    EXPECT_EQ(binary.data, record);
    const Read sz = Get(restarted, u"LASTRUNTIME");  // names ignore case
    EXPECT_EQ(sz.type, reg::kSz);
    ASSERT_EQ(sz.data.size(), (text.size() + 1) * 2);
    EXPECT_EQ(std::memcmp(sz.data.data(), text.c_str(), sz.data.size()), 0);
    const Read dword = Get(restarted, u"Update", u"software\\zintramouse");  // key paths too
    ASSERT_EQ(dword.data.size(), 4u);
    std::uint32_t readNumber = 0;
    std::memcpy(&readNumber, dword.data.data(), 4);
    EXPECT_EQ(readNumber, number);
    const Read empty = Get(restarted, u"with space %20 and\nline");
    EXPECT_EQ(empty.status, reg::kSuccess);
    EXPECT_EQ(empty.type, reg::kNone);
    EXPECT_TRUE(empty.data.empty());
}

TEST_F(FileStoreTest, QueriesFollowTheRegistryRules) {
    FileStore store(path_);
    ScopedRegistryKey missing(store);
    EXPECT_EQ(store.OpenKey(RegistryRoot::CurrentUser, kProgramKey, missing.Receive()), reg::kFileNotFound);
    EXPECT_FALSE(missing);
    const char data[] = "0123456789";
    ASSERT_EQ(Set(store, u"Ten", reg::kBinary, data, 10), reg::kSuccess);
    ScopedRegistryKey key(store);
    ASSERT_EQ(store.OpenKey(RegistryRoot::CurrentUser, kProgramKey, key.Receive()), reg::kSuccess);
    std::uint32_t type = 0, size = 4;
    char small[4];
    EXPECT_EQ(store.QueryValue(key.Get(), u"Ten", &type, small, &size), reg::kMoreData);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(store.QueryValue(key.Get(), u"Absent", &type, nullptr, &size), reg::kFileNotFound);
    EXPECT_EQ(store.DeleteValue(key.Get(), u"Ten"), reg::kSuccess);
    EXPECT_EQ(store.DeleteValue(key.Get(), u"Ten"), reg::kFileNotFound);
    EXPECT_EQ(store.QueryValue(12345, u"Ten", &type, nullptr, &size), reg::kInvalidHandle);
    EXPECT_EQ(FileStore(path_).QueryValue(key.Get(), u"Ten", &type, nullptr, &size), reg::kInvalidHandle);
    EXPECT_EQ(Get(*std::make_unique<FileStore>(path_), u"Ten").status, reg::kFileNotFound);  // the deletion is on disk
}

TEST_F(FileStoreTest, AWriteReplacesTheFileWholeAndLeavesNoTemporaryFileBehind) {
    FileStore store(path_);
    const std::uint32_t first = 1, second = 2;
    ASSERT_EQ(Set(store, u"Value", reg::kDword, &first, 4), reg::kSuccess);
    const std::string before = Contents(path_);
    // A reader holding the old file keeps seeing all of it: the new one is a
    // different file renamed into place, not the old one rewritten.
    const int reader = ::open(path_.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(Set(store, u"Value", reg::kDword, &second, 4), reg::kSuccess);
    std::string held(before.size() + 16, '\0');
    const ssize_t length = ::pread(reader, held.data(), held.size(), 0);
    ::close(reader);
    held.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
    EXPECT_EQ(held, before);
    EXPECT_NE(Contents(path_), before);
    EXPECT_EQ(Files(), (std::set<fs::path>{path_, path_ + ".lock"})) << "the store and its writers' lock";
    struct stat info {};
    ASSERT_EQ(::stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);  // settings are the user's own
}

TEST_F(FileStoreTest, AFailedWriteReportsItAndKeepsTheStoredValue) {
    const std::uint32_t kept = 7, lost = 8;
    {
        FileStore store(path_);
        ASSERT_EQ(Set(store, u"Value", reg::kDword, &kept, 4), reg::kSuccess);
    }
    FileStore store(path_);
    ScopedRegistryKey key(store);
    ASSERT_EQ(store.OpenKey(RegistryRoot::CurrentUser, kProgramKey, key.Receive()), reg::kSuccess);
    // The folder vanishes and a file takes its place: no temporary file can be made there.
    fs::remove_all(fs::path(path_).parent_path());
    std::ofstream(fs::path(path_).parent_path()) << "not a folder";
    EXPECT_NE(store.SetValue(key.Get(), u"Value", reg::kDword, &lost, 4), reg::kSuccess);
    const Read read = Get(store, u"Value");
    ASSERT_EQ(read.data.size(), 4u);
    std::uint32_t value = 0;
    std::memcpy(&value, read.data.data(), 4);
    EXPECT_EQ(value, kept);
}

TEST_F(FileStoreTest, CorruptStoresReadAsMissingAndAreKeptAside) {
    const std::string good = [&] {
        FileStore store(path_);
        const std::uint32_t value = 5;
        Set(store, u"Value", reg::kDword, &value, 4);
        return Contents(path_);
    }();
    const std::vector<std::string> corrupt = {
        "garbage\x01\x02",
        good.substr(0, good.size() - 8),        // cut off before its end line
        good + "value extra 4 00000000\n",       // something after the end
        [&] { std::string s = good; s.replace(s.find("05000000"), 8, "05zz0000"); return s; }(),
        [&] { std::string s = good; s.replace(s.find("end 1 1"), 7, "end 1 2"); return s; }(),  // a value lost
        [&] { std::string s = good; s.replace(s.find("end 1 1"), 7, "end 2 1"); return s; }(),  // a key lost
        "",
    };
    for (const std::string& text : corrupt) {
        SCOPED_TRACE(text);
        fs::remove_all(fs::path(path_).parent_path());
        Write(text);
        FileStore store(path_);
        EXPECT_EQ(Get(store, u"Value").status, reg::kFileNotFound);
        ASSERT_FALSE(store.SetAsidePath().empty());
        EXPECT_EQ(Contents(store.SetAsidePath()), text);
        // The program carries on with a fresh store beside the old one.
        const std::uint32_t value = 9;
        EXPECT_EQ(Set(store, u"Value", reg::kDword, &value, 4), reg::kSuccess);
        EXPECT_EQ(Get(*std::make_unique<FileStore>(path_), u"Value").status, reg::kSuccess);
        EXPECT_EQ(Contents(store.SetAsidePath()), text);
    }
}

TEST_F(FileStoreTest, ValuesWrittenByAnotherProcessAreSeenAndKept) {
    // Two stores on one file stand for the running program and a second start.
    FileStore running(path_);
    FileStore other(path_);
    const std::uint32_t one = 1, two = 2;
    ASSERT_EQ(Set(running, u"First", reg::kDword, &one, 4), reg::kSuccess);
    ASSERT_EQ(Set(other, u"Second", reg::kDword, &two, 4), reg::kSuccess);
    EXPECT_EQ(Get(running, u"Second").data, (std::vector<std::uint8_t>{2, 0, 0, 0}));
    ASSERT_EQ(Set(running, u"First", reg::kDword, &two, 4), reg::kSuccess);
    FileStore restarted(path_);
    EXPECT_EQ(Get(restarted, u"First").data, (std::vector<std::uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(Get(restarted, u"Second").data, (std::vector<std::uint8_t>{2, 0, 0, 0})) << "the other's value survives";
}

TEST_F(FileStoreTest, CorruptStoresSetAsideInTheSameSecondKeepTheirOwnNames) {
    std::set<std::string> asides;
    for (int i = 0; i < 5; ++i) {
        Write("garbage " + std::to_string(i));
        FileStore store(path_);
        EXPECT_EQ(Get(store, u"Value").status, reg::kFileNotFound);
        asides.insert(store.SetAsidePath());
    }
    ASSERT_EQ(asides.size(), 5u);
    std::set<std::string> kept;
    for (const std::string& aside : asides) kept.insert(Contents(aside));
    EXPECT_EQ(kept.size(), 5u) << "no corrupt store was overwritten by the next one";
}

// Creates the program's key in a store at the path on another thread; a read
// that hangs on a FIFO is ended by opening the FIFO for writing, and reported.
long CreateKeyWithoutHanging(const std::string& path) {
    auto creating = std::async(std::launch::async, [&path] {
        FileStore store(path);
        ScopedRegistryKey key(store);
        return store.CreateKey(RegistryRoot::CurrentUser, kProgramKey, key.Receive());
    });
    if (creating.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        ADD_FAILURE() << "reading the store hangs";
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    return creating.get();
}

TEST_F(FileStoreTest, NothingButARegularFileIsReadOrWrittenOver) {
    // A device of our own (a copy of the null device) where the system lets us make one.
    const fs::path device = directory_ / "null";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    struct Case {
        const char* what;
        std::function<void()> plant;
        std::function<bool()> untouched;
    };
    std::vector<Case> cases = {
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0); },
         [&] { return fs::is_fifo(fs::symlink_status(path_)); }},
        {"a folder", [&] { fs::create_directories(path_); }, [&] { return fs::is_directory(fs::symlink_status(path_)); }},
    };
    if (haveDevice) {
        cases.push_back({"a link to a device", [&] { fs::create_symlink(device, path_); }, [&] {
                             return fs::is_symlink(fs::symlink_status(path_)) &&
                                    fs::is_character_file(fs::symlink_status(device));
                         }});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(fs::path(path_).parent_path());
        fs::create_directories(fs::path(path_).parent_path());
        c.plant();
        // Creating the program's key needs a write: it fails, and the thing stays.
        EXPECT_NE(CreateKeyWithoutHanging(path_), reg::kSuccess);
        EXPECT_TRUE(c.untouched());
        for (const auto& file : Files()) {
            EXPECT_EQ(file.string().find(".corrupt-"), std::string::npos) << file << ": nothing was set aside";
        }
    }
}

TEST_F(FileStoreTest, AStoreThatIsALinkIsReadAndWrittenWhereItLeadsAndStaysALink) {
    const fs::path dotfiles = directory_ / "dotfiles";
    const fs::path target = dotfiles / "zintra-store";
    const std::uint32_t five = 5, six = 6;
    FileStore::Keys keys;
    keys[FoldCase(kProgramKey)] = FileStore::Key{kProgramKey, {{u"VALUE", FileStore::Value{u"Value", reg::kDword, {5, 0, 0, 0}}}}};
    test::WriteFile(target, FileStore::Serialize(keys));
    fs::create_directories(fs::path(path_).parent_path());
    fs::create_symlink("../dotfiles/zintra-store", path_);  // relative, as dotfile managers make them
    FileStore store(path_);
    EXPECT_EQ(Dword(Get(store, u"Value")), 5u);
    ASSERT_EQ(Set(store, u"Value", reg::kDword, &six, 4), reg::kSuccess);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path_))) << "the link stays";
    EXPECT_EQ(Dword(Get(*std::make_unique<FileStore>(target.string()), u"Value")), 6u);
    EXPECT_EQ(FilesIn(dotfiles), std::set<fs::path>{target}) << "no temporary file left beside the target";

    // A corrupt target is set aside where it lives; the next write makes a new one through the link.
    test::WriteFile(target, "garbage");
    FileStore again(path_);
    EXPECT_EQ(Get(again, u"Value").status, reg::kFileNotFound);
    EXPECT_TRUE(fs::equivalent(fs::path(again.SetAsidePath()).parent_path(), dotfiles));
    ASSERT_EQ(Set(again, u"Value", reg::kDword, &five, 4), reg::kSuccess);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path_)));
    EXPECT_EQ(Dword(Get(*std::make_unique<FileStore>(target.string()), u"Value")), 5u);
}

TEST_F(FileStoreTest, WritersInTwoProcessesNeverLoseEachOthersValues) {
    constexpr int kWrites = 40;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> writers;
    for (int process = 0; process < 2; ++process) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            char go;
            ::close(start[1]);
            (void)!::read(start[0], &go, 1);  // both begin together
            FileStore store(path_);
            bool ok = true;
            for (std::uint32_t i = 0; i < kWrites; ++i) {
                const std::u16string name = u"p" + std::u16string(1, u'0' + process) + u"-" +
                                            std::u16string(1, static_cast<char16_t>(u'A' + i));
                ok = Set(store, name, reg::kDword, &i, 4) == reg::kSuccess && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        writers.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);  // the end of the pipe starts both
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "every write succeeded";
    }
    FileStore store(path_);
    int found = 0;
    for (int process = 0; process < 2; ++process) {
        for (std::uint32_t i = 0; i < kWrites; ++i) {
            const std::u16string name = u"p" + std::u16string(1, u'0' + process) + u"-" +
                                        std::u16string(1, static_cast<char16_t>(u'A' + i));
            if (Get(store, name).status == reg::kSuccess) ++found;
        }
    }
    EXPECT_EQ(found, 2 * kWrites) << "no value was lost to the other process's write";
}

TEST_F(FileStoreTest, TheFormatRejectsWhatItNeverWrites) {
    FileStore::Keys keys;
    keys.emplace(u"A", FileStore::Key{std::u16string(u"a"), {{u"N", FileStore::Value{u"n", reg::kSz, {1, 2, 3}}}}});
    const std::string text = FileStore::Serialize(keys);
    FileStore::Keys parsed;
    ASSERT_TRUE(FileStore::Parse(text, parsed));
    EXPECT_EQ(parsed.at(u"A").values.at(u"N").data, (std::vector<std::uint8_t>{1, 2, 3}));
    const char* const bad[] = {
        "zintra-store 2\nend 0 0\n",                          // another format
        "zintra-store 1\nvalue n 1 00\nend 0 1\n",             // a value outside any key
        "zintra-store 1\nkey %G1\nend 1 0\n",                  // a broken escape
        "zintra-store 1\nkey a\nvalue n 99999999999 00\nend 1 1\n",  // a type beyond 32 bits
        "zintra-store 1\nkey %FF\nend 1 0\n",                  // not UTF-8
        "zintra-store 1\nkey a\nend 1 1\n",                    // counts a value that is not there
        "zintra-store 1\nkey a\nvalue n 1 00\nend 1 0\n",      // a value the count leaves out
        "zintra-store 1\nkey a\nend 2 0\n",                    // counts a key that is not there
        "zintra-store 1\nkey a\nkey b\nend 1 0\n",             // a key the count leaves out
        "zintra-store 1\nkey a\nend 01 0\n",                   // a count not as written
    };
    for (const char* text : bad) {
        EXPECT_FALSE(FileStore::Parse(text, parsed)) << text;
    }
    EXPECT_TRUE(FileStore::Parse(FileStore::Serialize({}), parsed)) << "an empty store is a store";
}

}  // namespace
}  // namespace zintra::platform::linux_x11
