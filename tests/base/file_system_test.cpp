// The file layer on real files, each test in a scratch folder of its own.
#include "base/file_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/regex_binding.h"

using namespace lumadir;

namespace {

class FileSystem : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(load_regex_library());
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    scratch = std::string(temp) + "lumadir-fs-" + info->name() + "-" +
              std::to_string(GetCurrentProcessId());
    remove_tree(scratch);
    ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), nullptr));
    GetCurrentDirectoryA(MAX_PATH, saved_directory);
  }
  void TearDown() override {
    SetCurrentDirectoryA(saved_directory);
    remove_tree(scratch);
    unload_regex_library();
  }

  std::string path(const std::string& name) const { return scratch + "\\" + name; }

  void make_file(const std::string& name, const std::string& bytes) {
    HANDLE h = CreateFileA(path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }

  std::string contents(const std::string& name) {
    variant p(path(name).c_str());
    variant out("");
    EXPECT_TRUE(read_whole_file(p, out));
    return std::string(out.c_str(), out.length());
  }

  // Through the wide calls and long paths, so that names which the system's
  // path rules would rewrite ("foo.", "bar ") are removed too.
  static void remove_tree(const std::string& folder) {
    const std::wstring wide = L"\\\\?\\" + to_wide(folder);
    remove_wide_tree(wide);
  }
  static std::wstring to_wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   out.data(), static_cast<int>(out.size())));
    return out;
  }
  static void remove_wide_tree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          remove_wide_tree(full);
        } else {
          SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(h, &data));
      FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
  }

  std::string scratch;
  char saved_directory[MAX_PATH] = {};
};

std::vector<std::string> names_under(const entry_tree& tree, const file_entry* parent) {
  std::vector<std::string> out;
  for (const file_entry* e = parent ? parent->first_child : tree.first(); e; e = e->next) {
    EXPECT_EQ(e->parent, parent);
    out.emplace_back(e->name.c_str());
  }
  return out;
}

}  // namespace

TEST_F(FileSystem, OpenModes) {
  make_file("existing.txt", "0123456789");
  variant missing(path("missing.txt").c_str());
  EXPECT_FALSE(open_file(missing, variant("r")).valid());
  EXPECT_FALSE(open_file(missing, variant("")).valid());
  EXPECT_FALSE(open_file(missing, variant("x")).valid());  // read-only, existing only

  // "a" creates a missing file and stands at its end.
  owned_file a = open_file(missing, variant("A"));
  ASSERT_TRUE(a.valid());
  EXPECT_EQ(seek_file(a.get(), 0, seek_current), 0u);
  EXPECT_EQ(write_file(a.get(), variant("xy"), 2), 2);
  a.reset();
  variant existing(path("existing.txt").c_str());
  a = open_file(existing, variant("a"));
  EXPECT_EQ(seek_file(a.get(), 0, seek_current), 10u);
  EXPECT_EQ(write_file(a.get(), variant("!"), 1), 1);
  a.reset();
  EXPECT_EQ(contents("existing.txt"), "0123456789!");

  // "W" (any case) truncates.
  owned_file w = open_file(existing, variant("W"));
  ASSERT_TRUE(w.valid());
  EXPECT_EQ(file_size(w.get()), 0);
  EXPECT_EQ(write_file(w.get(), variant("abcdef"), 3), 3);  // only the first count bytes
  w.reset();
  EXPECT_EQ(contents("existing.txt"), "abc");

  // A read-only handle cannot write.
  const owned_file r = open_file(existing, variant("r"));
  ASSERT_TRUE(r.valid());
  EXPECT_EQ(write_file(r.get(), variant("zz"), 2), 0);
}

TEST_F(FileSystem, SharingFollowsThePlus) {
  make_file("shared.txt", "data");
  variant p(path("shared.txt").c_str());
  owned_file shared = open_file(p, variant("r+"));
  ASSERT_TRUE(shared.valid());
  owned_file second = open_file(p, variant("r+"));
  EXPECT_TRUE(second.valid());  // read and write shared
  second.reset();
  shared.reset();

  owned_file exclusive = open_file(p, variant("r"));
  ASSERT_TRUE(exclusive.valid());
  EXPECT_FALSE(open_file(p, variant("r+")).valid());  // locked
  variant out("junk");
  EXPECT_FALSE(read_whole_file(p, out));
  exclusive.reset();
  EXPECT_TRUE(read_whole_file(p, out));
  EXPECT_STREQ(out.c_str(), "data");
}

TEST_F(FileSystem, ReadingAndTheInvalidHandle) {
  make_file("ten.bin", std::string("0123456789"));
  variant p(path("ten.bin").c_str());
  owned_file owner = open_file(p, variant("r"));
  const file_handle f = owner.get();
  variant out;
  EXPECT_EQ(read_file(f, 100, out), 10);
  EXPECT_EQ(out.length(), 10);
  EXPECT_EQ(read_file(f, 5, out), 0);  // at the end
  EXPECT_EQ(out.length(), 0);
  EXPECT_EQ(seek_file(f, -3, seek_end), 7u);
  EXPECT_EQ(read_file(f, 2, out), 2);
  EXPECT_STREQ(out.c_str(), "78");
  uint32_t high = 99;
  EXPECT_EQ(file_size(f, &high), 10);
  EXPECT_EQ(high, 0u);
  owner.reset();

  const file_handle none = invalid_file_handle();
  out = "kept?";
  EXPECT_EQ(read_file(none, 4, out), 0);
  EXPECT_EQ(out.length(), 0);
  EXPECT_EQ(write_file(none, variant("x"), 1), 0);
  EXPECT_EQ(file_size(none), -1);
  EXPECT_EQ(seek_file(none, 0, seek_begin), 0xFFFFFFFFu);
  close_file(none);  // harmless
}

TEST_F(FileSystem, WholeFileRoundTrips) {
  variant p(path("whole.txt").c_str());
  variant_list items;
  items.push(variant("line one\r\n"));
  items.push(variant(42));
  items.push(variant(""));
  items.push(variant("\xE9\x80\xFF end"));
  EXPECT_TRUE(write_whole_file(p, variant("w"), items));
  EXPECT_EQ(items.count(), 0);  // consumed
  EXPECT_EQ(contents("whole.txt"), "line one\r\n42\xE9\x80\xFF end");

  variant empty_path(path("empty.txt").c_str());
  variant_list nothing;
  EXPECT_TRUE(write_whole_file(empty_path, variant("w"), nothing));
  variant untouched("as before");
  EXPECT_TRUE(read_whole_file(empty_path, untouched));
  EXPECT_STREQ(untouched.c_str(), "as before");  // an empty file leaves it alone

  variant no_folder(path("no\\such\\folder.txt").c_str());
  items.push(variant("x"));
  EXPECT_FALSE(write_whole_file(no_folder, variant("w"), items));
  variant out;
  EXPECT_FALSE(read_whole_file(no_folder, out));

  // A file someone holds open without sharing cannot be written whole, and the
  // list is consumed all the same. (A read-only attribute would not do here:
  // Wine maps it to the Unix write bit, which does not stop root.)
  make_file("locked.txt", "old");
  variant locked(path("locked.txt").c_str());
  owned_file holder = open_file(locked, variant("r"));
  items.push(variant("new"));
  EXPECT_FALSE(write_whole_file(locked, variant("w"), items));
  EXPECT_EQ(items.count(), 0);
  holder.reset();
  EXPECT_EQ(contents("locked.txt"), "old");
}

TEST_F(FileSystem, ForwardSlashesBecomeBackslashesInPlace) {
  make_file("slash.txt", "s");
  std::string unix_style = path("slash.txt");
  for (char& c : unix_style)
    if (c == '\\') c = '/';
  variant p(unix_style.c_str());
  variant out;
  EXPECT_TRUE(read_whole_file(p, out));
  EXPECT_EQ(std::string(p.c_str()), path("slash.txt"));
}

TEST_F(FileSystem, FolderOperations) {
  variant sub(path("sub").c_str());
  EXPECT_TRUE(create_directory(sub));
  EXPECT_FALSE(create_directory(sub));  // exists
  variant deep(path("a\\b").c_str());
  EXPECT_FALSE(create_directory(deep));  // one level only
  EXPECT_TRUE(set_current_directory(sub));
  char here[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, here);
  EXPECT_EQ(std::string(here), path("sub"));
  variant gone(path("gone").c_str());
  EXPECT_FALSE(set_current_directory(gone));

  make_file("one.txt", "1");
  variant one(path("one.txt").c_str());
  variant two(path("sub\\two.txt").c_str());
  EXPECT_TRUE(copy_file(one, two, false));
  EXPECT_FALSE(copy_file(one, two, false));  // fail if it exists
  EXPECT_TRUE(copy_file(one, two, true));
  variant three(path("three.txt").c_str());
  EXPECT_TRUE(move_file(two, three));
  EXPECT_EQ(contents("three.txt"), "1");
  EXPECT_TRUE(delete_file(three));
  EXPECT_FALSE(delete_file(three));
}

TEST_F(FileSystem, TemporaryFolderAndUniqueNames) {
  variant temp;
  const int32_t length = temporary_folder(temp);
  ASSERT_GT(length, 0);
  EXPECT_EQ(length, temp.length());
  EXPECT_EQ(temp.c_str()[length - 1], '\\');

  variant name(path("1.html").c_str());
  ASSERT_TRUE(unique_temporary_name(name));
  EXPECT_EQ(std::string(name.c_str()), path("1.html"));  // the template itself is free

  make_file("1.html", "taken");
  ASSERT_TRUE(unique_temporary_name(name));
  const std::string found = name.c_str();
  ASSERT_EQ(found.size(), scratch.size() + 1 + 8 + 5);
  EXPECT_EQ(found.substr(0, scratch.size() + 1), scratch + "\\");
  EXPECT_EQ(found.find_first_not_of("0123456789", scratch.size() + 1), scratch.size() + 9);
  EXPECT_EQ(found.substr(scratch.size() + 9), ".html");

  variant upper(path("1.HTML").c_str());
  EXPECT_FALSE(unique_temporary_name(upper));
  EXPECT_EQ(upper.length(), 0);
  variant no_extension(path("name").c_str());
  EXPECT_FALSE(unique_temporary_name(no_extension));
  variant two_dots(path("a.b.html").c_str());
  EXPECT_FALSE(unique_temporary_name(two_dots));  // the base name holds no dot
}

TEST_F(FileSystem, PathFacts) {
  file_entry e;
  variant empty("");
  EXPECT_FALSE(path_facts(empty, e));
  variant drive("C:");
  ASSERT_TRUE(path_facts(drive, e));
  EXPECT_TRUE(e.is_folder);
  EXPECT_STREQ(e.name.c_str(), "C:");
  variant root("C:\\");
  file_entry r;
  ASSERT_TRUE(path_facts(root, r));
  EXPECT_STREQ(r.name.c_str(), "C:\\");
  variant no_drive("Q:");  // not mapped in the test prefix
  EXPECT_FALSE(path_facts(no_drive, e));

  make_file("facts.txt", std::string(1500, 'x'));
  variant file(path("facts.txt").c_str());
  file_entry f;
  ASSERT_TRUE(path_facts(file, f));
  EXPECT_FALSE(f.is_folder);
  EXPECT_EQ(f.size, 1500u);
  EXPECT_EQ(std::string(f.name.c_str()), path("facts.txt"));  // the whole path as given
  EXPECT_GT(f.modified, 1700000000);

  variant folder_with_slash((scratch + "\\").c_str());
  file_entry d;
  ASSERT_TRUE(path_facts(folder_with_slash, d));
  EXPECT_TRUE(d.is_folder);
  EXPECT_EQ(std::string(d.name.c_str()), scratch + "\\");
  variant missing(path("missing").c_str());
  EXPECT_FALSE(path_facts(missing, d));
}

TEST_F(FileSystem, FindFilesPutsFoldersFirst) {
  char before[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, before);
  variant folder(scratch.c_str());
  entry_tree tree;
  ASSERT_TRUE(find_files(folder, tree, nullptr, true, variant("*")));
  EXPECT_EQ(tree.first(), nullptr);  // empty: no entries, no placeholder

  CreateDirectoryA(path("b").c_str(), nullptr);
  make_file("z", "zz");
  CreateDirectoryA(path("a").c_str(), nullptr);
  make_file("y", "y");
  make_file("0 file", "");
  CreateDirectoryA(path("~folder").c_str(), nullptr);
  ASSERT_TRUE(find_files(folder, tree, nullptr, true, variant("*")));
  // Wine lists a folder sorted by name (Windows in the order of its disk), so the
  // system gives "0 file" first and "~folder" last: folders first, each group in
  // the order the system gave.
  EXPECT_EQ(names_under(tree, nullptr),
            (std::vector<std::string>{"a", "b", "~folder", "0 file", "y", "z"}));
  const file_entry* z = tree.first()->next->next->next->next->next;
  EXPECT_EQ(z->size, 2u);
  EXPECT_FALSE(z->is_folder);
  EXPECT_TRUE(tree.first()->is_folder);
  EXPECT_EQ(tree.first()->size, 0u);
  char here[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, here);
  EXPECT_EQ(std::string(here), before);  // a folder read is never made current

  // Read again under a folder entry of the existing tree.
  make_file("b\\inner.txt", "i");
  CreateDirectoryA(path("b\\deeper").c_str(), nullptr);
  file_entry* b = tree.first()->next;
  variant b_path(path("b").c_str());
  ASSERT_TRUE(find_files(b_path, tree, b, true, variant("*")));
  EXPECT_EQ(names_under(tree, b), (std::vector<std::string>{"deeper", "inner.txt"}));
  EXPECT_EQ(names_under(tree, nullptr),
            (std::vector<std::string>{"a", "b", "~folder", "0 file", "y", "z"}));

  entry_tree with_dots;
  ASSERT_TRUE(find_files(b_path, with_dots, nullptr, false, variant("*")));
  EXPECT_EQ(names_under(with_dots, nullptr),
            (std::vector<std::string>{".", "..", "deeper", "inner.txt"}));

  entry_tree txt_only;
  ASSERT_TRUE(find_files(b_path, txt_only, nullptr, true, variant("*.txt")));
  EXPECT_EQ(names_under(txt_only, nullptr), (std::vector<std::string>{"inner.txt"}));

  variant missing(path("missing").c_str());
  entry_tree untouched;
  EXPECT_FALSE(find_files(missing, untouched, nullptr, true, variant("*")));
  EXPECT_EQ(untouched.first(), nullptr);  // a failure adds nothing
  variant a_file(path("y").c_str());
  EXPECT_FALSE(find_files(a_file, untouched, nullptr, true, variant("*")));  // not a folder
  GetCurrentDirectoryA(MAX_PATH, here);
  EXPECT_EQ(std::string(here), before);
}

TEST_F(FileSystem, OwnFileNameAndVolumes) {
  const variant self = own_file_name();
  EXPECT_NE(std::string(self.c_str()).find("file_system_tests.exe"), std::string::npos);
  variant root("C:\\");
  EXPECT_TRUE(volume_ready(root));
  uint64_t bytes = 0;
  EXPECT_TRUE(free_space(root, bytes));
  EXPECT_GT(bytes, 0u);
  variant label("junk");
  volume_label(root, label);  // Wine may give an empty label; it must not fail loudly
  variant nowhere("Q:\\");
  EXPECT_FALSE(volume_ready(nowhere));
  EXPECT_FALSE(free_space(nowhere, bytes));
  EXPECT_EQ(bytes, 0u);
  EXPECT_FALSE(volume_label(nowhere, label));
  EXPECT_EQ(label.length(), 0);
}

// Every name is read, entered, written and deleted as it stands: names of any
// script, names that look like paths or that the system's path rules would
// rewrite ("foo." is not "foo", "．．" is not ".."), and paths past MAX_PATH.
TEST_F(FileSystem, ExactNamesOfAnyCharactersAndLength) {
  const std::vector<std::string> names = {
      "AB",   "Ελληνικά",        "bar ", "foo", "foo.", "é", "Жж", "\xF0\x9F\x98\x80 smile", "ＡＢ",
      "日本", "..＼..＼..＼etc", "．．"};
  variant folder(scratch.c_str());
  for (const std::string& name : names) {
    variant sub = path_in(folder, name.c_str());
    ASSERT_TRUE(create_directory(sub)) << name;
    variant marker = path_in(sub, "marker.txt");
    variant_list items;
    items.push(variant(name.c_str()));
    ASSERT_TRUE(write_whole_file(marker, variant("w"), items)) << name;
  }
  entry_tree tree;
  ASSERT_TRUE(find_files(folder, tree, nullptr, true, variant("*")));
  std::vector<std::string> found = names_under(tree, nullptr);
  std::vector<std::string> expected = names;
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
  // Each folder entered by the name read holds its own marker, never another's.
  for (const file_entry* e = tree.first(); e; e = e->next) {
    variant sub = path_in(folder, e->name.c_str());
    entry_tree inner;
    ASSERT_TRUE(find_files(sub, inner, nullptr, true, variant("*"))) << e->name.c_str();
    EXPECT_EQ(names_under(inner, nullptr), std::vector<std::string>{"marker.txt"});
    variant marker = path_in(sub, "marker.txt");
    variant text("");
    ASSERT_TRUE(read_whole_file(marker, text));
    EXPECT_EQ(std::string(text.c_str()), std::string(e->name.c_str()));
    file_entry facts;
    EXPECT_TRUE(path_facts(sub, facts) && facts.is_folder) << e->name.c_str();
  }

  // A chain of folders 1,200 bytes deep, a file at its bottom, and back up.
  const std::string long_name(120, 'n');
  std::vector<variant> chain{folder};
  while (chain.back().length() < 1200) {
    chain.push_back(path_in(chain.back(), long_name.c_str()));
    ASSERT_TRUE(create_directory(chain.back())) << chain.back().length();
  }
  variant deep_file = path_in(chain.back(), "deep.txt");
  variant_list items;
  items.push(variant("deep"));
  ASSERT_TRUE(write_whole_file(deep_file, variant("w"), items));
  entry_tree deep;
  ASSERT_TRUE(find_files(chain.back(), deep, nullptr, true, variant("*")));
  EXPECT_EQ(names_under(deep, nullptr), std::vector<std::string>{"deep.txt"});
  variant text("");
  EXPECT_TRUE(read_whole_file(deep_file, text));
  EXPECT_EQ(std::string(text.c_str()), "deep");
  EXPECT_TRUE(delete_file(deep_file));
  for (size_t i = chain.size() - 1; i > 0; --i) EXPECT_TRUE(remove_directory(chain[i]));
}

// A relative path, or one with "." and ".." parts, is resolved as the system
// resolves it; a full path is taken as it stands.
TEST_F(FileSystem, RelativePathsAreResolved) {
  make_file("plain.txt", "p");
  SetCurrentDirectoryA(scratch.c_str());
  variant relative("plain.txt");
  variant text("");
  EXPECT_TRUE(read_whole_file(relative, text));
  EXPECT_EQ(std::string(text.c_str()), "p");
  variant dotted((scratch + "\\.\\sub\\..\\plain.txt").c_str());
  EXPECT_TRUE(name_exists(dotted));
  variant full("plain.txt");
  ASSERT_TRUE(make_full_path(full));
  EXPECT_EQ(std::string(full.c_str()), path("plain.txt"));
}

// A read that fails is never taken for the end of the file: a folder opens
// (as folders do for their times) but cannot be read.
TEST_F(FileSystem, AFailedReadIsNoWholeFile) {
  variant folder(scratch.c_str());
  variant out("left");
  EXPECT_FALSE(read_whole_file(folder, out));
  const owned_file handle = open_file(folder, variant("r"));
  ASSERT_TRUE(handle.valid());
  variant chunk;
  EXPECT_LT(read_file(handle.get(), 100, chunk), 0);
}
