// The small trees the listing tests list and compare whole: folders, files of
// a given size, and times set to fixed moments.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/number_text.h"

namespace lumadir {

constexpr time_value base_time = 1600000000;  // 2020-09-13 12:26:40 UTC
constexpr time_value future = 2000000000;     // reading never moves an access time past this

struct fixture_tree {
  std::string root;  // the tree's folder; relative names start with "\"

  void make_dir(const std::string& relative) {
    ASSERT_TRUE(CreateDirectoryA((root + relative).c_str(), nullptr)) << relative;
  }
  void make_file(const std::string& relative, uint64_t size, int minutes) {
    HANDLE h = CreateFileA((root + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << relative;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    set_times(relative, minutes);
  }
  // Modified (and created: Wine keeps them equal) at base_time + minutes;
  // accessed in the future.
  void set_times(const std::string& relative, int minutes) {
    HANDLE h = CreateFileA((root + relative).c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << relative;
    auto ft = [](time_value t) {
      const file_time f = file_time_from_time(t);
      FILETIME out = {static_cast<DWORD>(f), static_cast<DWORD>(f >> 32)};
      return out;
    };
    const FILETIME modified = ft(base_time + 60 * minutes);
    const FILETIME accessed = ft(future);
    SetFileTime(h, &modified, &accessed, &modified);
    CloseHandle(h);
  }
};

}  // namespace lumadir
