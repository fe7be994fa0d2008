// lumadir-cli's progress: shown only on a console, and there as one line
// redrawn a few times a second, never per folder, and erased at the end.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/console.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace lumadir;

namespace {

int64_t fake_now = 0;
int64_t fake_clock() {
  return fake_now;
}
void collect(void* sink, const char* bytes, int32_t count) {
  static_cast<std::vector<std::string>*>(sink)->emplace_back(bytes, static_cast<size_t>(count));
}

}  // namespace

TEST(ProgressLine, DrawsAFewTimesASecondNotPerFolder) {
  std::vector<std::string> written;
  fake_now = 5000;
  progress_line line(collect, &written, fake_clock);
  line.update("C:\\a", 0, 0);  // a run this young shows nothing yet
  fake_now += 249;
  line.update("C:\\b", 0, 0);
  EXPECT_TRUE(written.empty());
  line.finish();  // nothing drawn, nothing to erase
  EXPECT_TRUE(written.empty());

  // A thousand folders over 1.2 s: one line per quarter second.
  for (int folder = 0; folder < 1000; ++folder) {
    fake_now = 5000 + 250 + folder * 6 / 5;
    line.update(("C:\\tree\\folder " + std::to_string(folder)).c_str(), folder, folder * 100);
  }
  ASSERT_EQ(written.size(), 5u);
  EXPECT_EQ(written[0], std::string("\r0 folders, 0 files, 0:00 C:\\tree\\folder 0") +
                            std::string(79 - 41, ' '));
  EXPECT_EQ(written[4].substr(0, 40), "\r834 folders, 83400 files, 0:01 C:\\tree\\");
  for (const std::string& drawn : written) EXPECT_EQ(drawn.size(), 80u) << drawn;

  line.finish();
  ASSERT_EQ(written.size(), 6u);
  EXPECT_EQ(written.back(), "\r" + std::string(79, ' ') + "\r");
}

TEST(ProgressLine, ALongPathKeepsItsEndAndWholeCharacters) {
  std::vector<std::string> written;
  fake_now = 0;
  progress_line line(collect, &written, fake_clock);
  fake_now = 61000;
  // "é" is two bytes: cutting at the front never leaves half of one.
  std::string path = "C:";
  for (int i = 0; i < 40; ++i) path += "\\\xC3\xA9";
  path += "\\last folder";
  line.update(path.c_str(), 12, 3456789);
  ASSERT_EQ(written.size(), 1u);
  const std::string& drawn = written[0];
  EXPECT_EQ(drawn.rfind("\r12 folders, 3456789 files, 1:01 ", 0), 0u) << drawn;
  EXPECT_EQ(drawn.size(), 80u);
  EXPECT_NE(drawn.find("\\last folder"), std::string::npos);
  const size_t cut = std::string("\r12 folders, 3456789 files, 1:01 ").size();
  EXPECT_NE(static_cast<unsigned char>(drawn[cut]) & 0xC0, 0x80) << "half a character";
}

// Only a console counts: a file, a pipe and the null device (which the C
// library's isatty takes for a terminal) do not.
TEST(Console, OnlyAConsoleShowsProgress) {
#ifdef _WIN32
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string file_path = std::string(folder) + "lumadir-console-test.txt";
  HANDLE file = CreateFileA(file_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(is_console(file));
  CloseHandle(file);
  HANDLE null_device = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(null_device, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileType(null_device), static_cast<DWORD>(FILE_TYPE_CHAR));
  EXPECT_FALSE(is_console(null_device));
  CloseHandle(null_device);
  HANDLE read_end, write_end;
  ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
  EXPECT_FALSE(is_console(write_end));
  CloseHandle(read_end);
  CloseHandle(write_end);
  EXPECT_FALSE(is_console(INVALID_HANDLE_VALUE));
  // A console of our own: the runner gives none, or one of its own.
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
  ASSERT_NE(console, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(is_console(console));
  CloseHandle(console);
#else
  const int file = ::open("/dev/null", O_WRONLY);
  ASSERT_GE(file, 0);
  EXPECT_FALSE(is_console(reinterpret_cast<void*>(static_cast<intptr_t>(file))));
  ::close(file);
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  EXPECT_FALSE(is_console(reinterpret_cast<void*>(static_cast<intptr_t>(pipe_ends[1]))));
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
#endif
}
