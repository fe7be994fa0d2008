// The Type column against file-type keys the test makes itself under
// HKEY_CLASSES_ROOT (Wine 8 does not show the current user's classes there).
#include <windows.h>

#include "engine/columns.h"
#include "tests/engine/engine_fixture.h"

using namespace lumadir;

namespace {

class TypeColumn : public engine_fixture {
 protected:
  void SetUp() override {
    engine_fixture::SetUp();
    remove_keys();
    set_default(".lmdtest", "Lumadir.Test");
    set_default("Lumadir.Test", "Lumadir test & <file>");
    set_default(".lmdnodesc", "Lumadir.NoDesc");
    make_key("Lumadir.NoDesc");  // opens, but has no default value
    set_default(".lmdempty", "");
    set_default(".lmdorphan", "Lumadir.Orphan");  // no such type key
  }
  void TearDown() override {
    remove_keys();
    engine_fixture::TearDown();
  }

  static std::string classes(const char* key) { return key; }
  static void make_key(const char* key) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, classes(key).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
  }
  static void set_default(const char* key, const char* value) {
    make_key(key);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, classes(key).c_str(), nullptr, REG_SZ, value,
                              static_cast<DWORD>(strlen(value) + 1)),
              ERROR_SUCCESS);
  }
  static void remove_keys() {
    for (const char* key :
         {".lmdtest", "Lumadir.Test", ".lmdnodesc", "Lumadir.NoDesc", ".lmdempty", ".lmdorphan"})
      RegDeleteTreeA(HKEY_CLASSES_ROOT, classes(key).c_str());
  }
  std::string type_of(const char* extension) {
    file_entry e;
    e.name = "x";
    e.extension = extension;
    const variant text = cell_text(column_key::type, e, settings);
    return std::string(text.c_str(), text.length());
  }
};

}  // namespace

TEST_F(TypeColumn, DescriptionsAndEveryFallBack) {
  EXPECT_EQ(type_of(".lmdtest"), "Lumadir test &amp; &lt;file&gt;");  // escaped
  EXPECT_EQ(type_of(".LMDTEST"), "Lumadir test &amp; &lt;file&gt;");  // the registry ignores case
  EXPECT_EQ(type_of(".lmdnodesc"), "");                   // type key without a default value
  EXPECT_EQ(type_of(".lmdempty"), ".lmdempty file");      // empty type name: phrase 145
  EXPECT_EQ(type_of(".lmdorphan"), ".lmdorphan file");    // type key missing
  EXPECT_EQ(type_of(".lmdmissing"), ".lmdmissing file");  // extension key missing
}

TEST_F(TypeColumn, OneRegistryLookupPerExtensionAndRun) {
  EXPECT_EQ(type_of(".lmdtest"), "Lumadir test &amp; &lt;file&gt;");
  set_default("Lumadir.Test", "Changed");
  EXPECT_EQ(type_of(".lmdtest"), "Lumadir test &amp; &lt;file&gt;");  // remembered for the run
  settings.file_type_cache.clear();                                   // what a new run does
  settings.registered_extensions_read = false;
  EXPECT_EQ(type_of(".lmdtest"), "Changed");
}
