// Starting programs with posix_spawn.
#include "port/process.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "port/path.h"
#include "port/wstr.h"

extern char** environ;

namespace qx::port {

namespace {

// Children started without waiting, reaped by later calls.
std::vector<pid_t> g_unwaited;

void reap_finished_children() {
  std::erase_if(g_unwaited, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

bool has_separator(std::u16string_view name) {
  return name.find_first_of(u"\\/") != std::u16string_view::npos;
}

bool ends_with_exe(std::u16string_view name) {
  if (name.size() < 4) return false;
  std::u16string_view tail = name.substr(name.size() - 4);
  return wnicmp(std::u16string(tail).c_str(), u".exe", 4) == 0;
}

// The program name: up to the first blank, quotes grouping, backslashes kept.
size_t read_program(std::u16string_view line, std::u16string* out) {
  size_t i = 0;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    char16_t c = line[i];
    if (c == u'"') {
      quoted = !quoted;
    } else if (is_blank(c) && !quoted) {
      break;
    } else {
      *out += c;
    }
  }
  return i;
}

int start(const std::vector<std::string>& args, bool search_path, pid_t* pid) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  int rc = search_path ? posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ)
                       : posix_spawn(pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc;
}

}  // namespace

std::vector<std::u16string> split_command_line(std::u16string_view line) {
  std::vector<std::u16string> args;
  size_t i = 0;
  while (i < line.size() && is_blank(line[i])) ++i;
  if (i == line.size()) return args;
  std::u16string program;
  i += read_program(line.substr(i), &program);
  args.push_back(program);
  while (true) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i == line.size()) break;
    std::u16string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !is_blank(line[i]))) {
      size_t slashes = 0;
      while (i < line.size() && line[i] == u'\\') ++slashes, ++i;
      if (i < line.size() && line[i] == u'"') {
        arg.append(slashes / 2, u'\\');
        if (slashes % 2) {
          arg += u'"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
          arg += u'"';  // "" inside quotes is a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(slashes, u'\\');
        if (i < line.size() && (quoted || !is_blank(line[i]))) arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

SpawnResult spawn_command_line(std::u16string_view line, bool wait) {
  return spawn_arguments(split_command_line(line), wait);
}

SpawnResult spawn_arguments(const std::vector<std::u16string>& words, bool wait) {
  reap_finished_children();
  SpawnResult result;
  if (words.empty() || words[0].empty()) {
    result.error = ENOENT;
    return result;
  }
  bool search_path = !has_separator(words[0]);
  std::vector<std::string> args;
  args.push_back(search_path ? to_utf8(words[0]) : native_path(words[0]));
  for (size_t k = 1; k < words.size(); ++k) args.push_back(to_utf8(words[k]));

  pid_t pid = 0;
  int rc = start(args, search_path, &pid);
  if (rc == ENOENT && ends_with_exe(words[0])) {
    std::u16string bare = words[0].substr(0, words[0].size() - 4);
    args[0] = search_path ? to_utf8(bare) : native_path(bare);
    rc = start(args, search_path, &pid);
  }
  if (rc != 0) {
    result.error = rc;
    return result;
  }
  result.started = true;
  if (!wait) {
    g_unwaited.push_back(pid);
    return result;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

std::u16string error_text(int error) { return from_utf8(std::strerror(error)); }

}  // namespace qx::port
