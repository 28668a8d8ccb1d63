// INI values and groups through the settings service: the documented
// results, alias expansion, bad input, and agreement with the direct route
// and with an independent reader (Python's configparser).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/ini_test.h"
#include "qx/env.h"

namespace qxtest {
namespace {

using IniValues = IniTest;
using IniGroups = IniTest;

std::string text(const qx_wchar* s) { return s ? u8(s) : "(null)"; }

TEST_F(IniValues, ReadsAsDocumented) {
  write_file(file("v.ini"), "[G]\r\nblanks =    \r\npadded =  x  \r\npath=%ROOT%\\data\r\n"
                            "long=" + std::string(3000, 'y') + "\r\nempty=\r\n");
  const std::u16string f = w("v.ini");
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"blanks")), "(null)");
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"g", u"PADDED")), "x  ") << "trailing blanks stay";
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"empty")), "(null)");
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"missing")), "(null)");
  EXPECT_EQ(text(qx_Ini_get(w("none.ini").c_str(), u"G", u"padded")), "(null)");

  qx_Alias_put(u"ROOT", u"C:\\qv");
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"path")), "C:\\qv\\data");
  EXPECT_EQ(text(qx_Ini_getAbsolute(f.c_str(), u"G", u"path")), "%ROOT%\\data");
  qx_Alias_del(u"ROOT");
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"path")), "%ROOT%\\data") << "unknown stays";

  EXPECT_EQ(text(qx_Ini_getValue(f.c_str(), u"G", u"path", 0, 4)), "%ROO");
  EXPECT_EQ(text(qx_Ini_getAbsolute(f.c_str(), u"G", u"long")).size(), 512u);
  EXPECT_EQ(text(qx_Ini_getValue(f.c_str(), u"G", u"long", 0, 5000)).size(), 1023u)
      << "overlong values are cut to the local buffer";
  EXPECT_EQ(qx_Ini_get(f.c_str(), u"G", u"padded"), qx_Ini_getAbsolute(f.c_str(), u"G", u"path"))
      << "one shared buffer";
}

TEST_F(IniValues, WritesAndVerifies) {
  const std::u16string f = w("s.ini");
  EXPECT_EQ(qx_Ini_set(f.c_str(), u"Pipe", u"Size", u"DN100"), 0);
  EXPECT_EQ(read_file(file("s.ini")), "[Pipe]\nSize=DN100\n");
  int set_result = -1;
  EXPECT_EQ(qx_Ini_setAndVerify(f.c_str(), u"pipe", u"size", u"dn100", &set_result), 1);
  EXPECT_EQ(set_result, 0);
  EXPECT_EQ(read_file(file("s.ini")), "[Pipe]\nSize=dn100\n") << "the first spelling of the name stays";

  // Names and groups that would read back as something else are refused.
  EXPECT_EQ(qx_Ini_setAndVerify(f.c_str(), u"Pipe", u"a=b", u"x", &set_result), 0);
  EXPECT_EQ(set_result, 1);
  EXPECT_EQ(qx_Ini_set(f.c_str(), u"Pi]pe", u"n", u"x"), 1);
  EXPECT_EQ(qx_Ini_set(f.c_str(), u"Pipe", u"n", u"two\r\nlines"), 1);
  EXPECT_EQ(qx_Ini_set(w("folder/missing.ini").c_str(), u"G", u"n", u"x"), 1);
  EXPECT_EQ(read_file(file("s.ini")), "[Pipe]\nSize=dn100\n");

  std::u16string huge(100000, u'z');
  EXPECT_EQ(qx_Ini_set(f.c_str(), u"Pipe", u"huge", huge.c_str()), 0);
  EXPECT_EQ(read_file(file("s.ini")), "[Pipe]\nSize=dn100\nhuge=" + std::string(100000, 'z') + "\n")
      << "written whole, whatever a read can take";

  testing::internal::CaptureStdout();
  int printed = qx_Ini_displayError(u"a.ini", u"G", u"n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Error reading Ini File\nFile Name a.ini\nGroup Name G\nVariable Name n");
  EXPECT_EQ(printed, 67);
}

TEST_F(IniValues, WithoutTheServiceNothingIsFoundOrWritten) {
  write_file(file("x.ini"), "[G]\nk=v\n");
  qx::app::destroy_holder();
  while (qx::port::com_initialized()) CoUninitialize();
  const std::u16string f = w("x.ini");
  EXPECT_EQ(qx_Ini_get(f.c_str(), u"G", u"k"), nullptr);
  EXPECT_EQ(qx_Ini_set(f.c_str(), u"G", u"k", u"w"), 1);
  EXPECT_EQ(qx_Ini_addGroup(f.c_str(), u"H"), 0);
  EXPECT_EQ(qx_Ini_removeGroup(f.c_str(), u"G"), 0);
  EXPECT_EQ(qx_Ini_getGroup(f.c_str(), u"G"), nullptr);
  EXPECT_EQ(qx_Ini_findAllGroups(f.c_str()), nullptr);
  qx_FldList* list = list_of({{"k", "w"}});
  EXPECT_EQ(qx_Ini_setGroupEx(f.c_str(), u"G", list), 0);
  EXPECT_EQ(qx_Ini_updateGroup(f.c_str(), u"G", list), 0);
  qx_FldList_destroy(list);
  qx_Ini_reload(f.c_str());
  qx_Ini_resetCache();
  EXPECT_EQ(read_file(file("x.ini")), "[G]\nk=v\n");
  // The direct route needs no service.
  EXPECT_EQ(fields_of(qx_Ini_getGroupItems(f.c_str(), u"G")), (Pairs{{"K", "v"}}));
}

TEST_F(IniGroups, ReadAsFieldLists) {
  write_file(file("g.ini"), "[G]\na=1\nempty=\npath=%DIR%\\x\n\n[H]\n");
  qx_Alias_put(u"DIR", u"/srv");
  const std::u16string f = w("g.ini");
  EXPECT_EQ(fields_of(qx_Ini_getGroup(f.c_str(), u"g")), (Pairs{{"A", "1"}, {"PATH", "/srv\\x"}}));
  EXPECT_EQ(fields_of(qx_Ini_getGroupWithNulls(f.c_str(), u"G")),
            (Pairs{{"A", "1"}, {"EMPTY", ""}, {"PATH", "/srv\\x"}}));
  EXPECT_EQ(fields_of(qx_Ini_getGroupAbsolute(f.c_str(), u"G")),
            (Pairs{{"A", "1"}, {"PATH", "%DIR%\\x"}}));
  EXPECT_EQ(fields_of(qx_Ini_getGroupValues(f.c_str(), u"G", 0)),
            (Pairs{{"A", "1"}, {"PATH", "%DIR%\\x"}}));
  EXPECT_EQ(qx_Ini_getGroup(f.c_str(), u"H"), nullptr) << "a group without entries";
  EXPECT_EQ(qx_Ini_getGroup(f.c_str(), u"None"), nullptr);
  qx_Alias_del(u"DIR");
}

TEST_F(IniGroups, WrittenFromFieldLists) {
  write_file(file("w.ini"), "; kept\n[G]\nold=1\n; inside\n\n[Other]\nx=1\n");
  const std::u16string f = w("w.ini");
  qx_FldList* list = list_of({{"a", "1"}, {"old", "2"}});
  qx_FldList_appReal(list, u"r", 1.5);
  EXPECT_EQ(qx_Ini_setGroup(f.c_str(), u"G", list, 1), 1) << "r and a skipped: not in the file";
  EXPECT_EQ(fields_of(qx_Ini_getGroup(f.c_str(), u"G")), (Pairs{{"OLD", "2"}}));
  EXPECT_EQ(qx_Ini_setGroup(f.c_str(), u"G", list, 0), -3) << "the status of the last field";
  EXPECT_EQ(fields_of(qx_Ini_getGroup(f.c_str(), u"G")),
            (Pairs{{"OLD", "2"}, {"A", "1"}, {"R", "1.500000"}}));
  EXPECT_EQ(qx_Ini_setGroup(w("none.ini").c_str(), u"G", list, 0), 0) << "not writable";

  qx_FldList* replacement = list_of({{"only", "this"}});
  EXPECT_EQ(qx_Ini_setGroupEx(f.c_str(), u"g", replacement), 1);
  EXPECT_EQ(fields_of(qx_Ini_getGroup(f.c_str(), u"G")), (Pairs{{"ONLY", "this"}}));
  EXPECT_EQ(qx_Ini_updateGroup(f.c_str(), u"G", list), 1);
  EXPECT_EQ(qx_Ini_updateGroup(f.c_str(), u"New", replacement), 1);
  EXPECT_EQ(read_file(file("w.ini")),
            "; kept\n; inside\n\n[Other]\nx=1\n[g]\nA=1\nOLD=2\nR=1.500000\n[New]\nONLY=this\n");
  qx_FldList_destroy(list);
  qx_FldList_destroy(replacement);

  EXPECT_EQ(qx_Ini_addGroup(f.c_str(), u"other"), 0) << "exists";
  EXPECT_EQ(qx_Ini_addGroup(f.c_str(), u"Added"), 1);
  EXPECT_EQ(qx_Ini_removeGroup(f.c_str(), u"OTHER"), 1);
  EXPECT_EQ(qx_Ini_removeGroup(f.c_str(), u"OTHER"), 0);
  EXPECT_EQ(strings_of(qx_Ini_findAllGroups(f.c_str())),
            (std::vector<std::string>{"g", "New", "Added"}));
}

TEST_F(IniGroups, NumberedGroups) {
  const std::u16string f = w("n.ini");
  EXPECT_EQ(text(qx_Ini_getNextIncrSuffix(f.c_str(), u"PIPE")), "0");
  qx_Ini_addGroup(f.c_str(), u"Pipe.3");
  qx_Ini_addGroup(f.c_str(), u"PIPE.10");
  qx_Ini_addGroup(f.c_str(), u"Valve.40");
  EXPECT_EQ(text(qx_Ini_getNextIncrSuffix(f.c_str(), u"pipe")), "11");
  qx_Ini_addGroup(f.c_str(), u"PipeSupport.17");
  EXPECT_EQ(text(qx_Ini_getNextIncrSuffix(f.c_str(), u"PIPE")), "18") << "matched by prefix";
  EXPECT_EQ(strings_of(qx_Ini_findPrefixGroups(f.c_str(), u"pipe.")),
            (std::vector<std::string>{"Pipe.3", "PIPE.10"}));
  EXPECT_EQ(strings_of(qx_Ini_findPrefixGroups(f.c_str(), nullptr)).size(), 4u);
  EXPECT_EQ(text(qx_Ini_getNextIncrSuffix(f.c_str(), u"Elbow")), "0");
  EXPECT_EQ(text(qx_Ini_getGroupNameSuffix(u"PIPE.10.2")), "10.2");
  EXPECT_EQ(text(qx_Ini_getGroupNameSuffix(u"PIPE")), "PIPE");
}

TEST_F(IniGroups, ReloadSeesTheDirectRoutesRewrite) {
  write_file(file("r.ini"), "[G]\nk=old\n");
  const std::u16string f = w("r.ini");
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"k")), "old");
  qx_FldList* list = list_of({{"k", "new"}});
  EXPECT_EQ(qx_Ini_setGroupItems(f.c_str(), u"G", list), 1);
  qx_FldList_destroy(list);
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"k")), "old") << "the cache is not told";
  qx_Ini_reload(f.c_str());
  EXPECT_EQ(text(qx_Ini_get(f.c_str(), u"G", u"k")), "new");
}

// What Python's configparser reads from a file: "group|name|value" lines.
std::string configparser_dump(const std::string& path) {
  std::string script = path + ".py";
  std::ofstream(script) << "import configparser, sys\n"
                           "p = configparser.ConfigParser(strict=False, interpolation=None,\n"
                           "                              delimiters=('=',))\n"
                           "p.optionxform = str\n"
                           "p.read(sys.argv[1], encoding='utf-8-sig')\n"
                           "for s in p.sections():\n"
                           "    for k, v in p.items(s):\n"
                           "        print(s + '|' + k + '|' + v)\n";
  std::string cmd = "python3 '" + script + "' '" + path + "' 2>&1";
  std::string out;
  if (std::FILE* pipe = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    if (::pclose(pipe) != 0) out = "configparser failed: " + out;
  }
  return out;
}

TEST_F(IniValues, PythonsConfigparserReadsWhatTheServiceWrote) {
  write_file(file("py.ini"), "\xEF\xBB\xBF; made by hand\r\n[Pipe]\r\nSize = DN100\r\n\r\n[Valve]\r\n");
  const std::u16string f = w("py.ini");
  qx_Ini_set(f.c_str(), u"Pipe", u"Material", u"St 37");
  qx_Ini_set(f.c_str(), u"pipe", u"size", u"DN150");
  qx_Ini_set(f.c_str(), u"Valve", u"Type", u"gate \u00E9");
  qx_Ini_set(f.c_str(), u"Flange", u"Rating", u"PN16");
  EXPECT_EQ(configparser_dump(file("py.ini")),
            "Pipe|Size|DN150\nPipe|Material|St 37\nValve|Type|gate \xC3\xA9\nFlange|Rating|PN16\n");
  EXPECT_EQ(fields_of(qx_Ini_getGroupItems(f.c_str(), u"PIPE")),
            (Pairs{{"SIZE", "DN150"}, {"MATERIAL", "St 37"}}));
  EXPECT_EQ(fields_of(qx_Ini_getGroupItems(f.c_str(), u"valve")),
            (Pairs{{"TYPE", "gate \xC3\xA9"}}));
}

}  // namespace
}  // namespace qxtest
