// Runs the tests' Python helper (the Debian python3 with its xlwt, xlrd and
// openpyxl modules) and returns what it printed; a failing run fails the
// calling test and returns an empty text.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace korvan::testing {

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs `command` through the shell; its standard output, or empty (and a
// test failure) when it does not exit with 0.
inline std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    ADD_FAILURE() << "cannot run " << command;
    return {};
  }
  char buffer[4096];
  std::size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int status = pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << command << " failed with status " << status;
    return {};
  }
  return output;
}

inline std::string RunPythonTool(const std::string& script, const std::string& command,
                                 const std::string& path) {
  return RunCommand("/usr/bin/python3 " + ShellQuoted(script) + " " + command + " " +
                    ShellQuoted(path));
}

}  // namespace korvan::testing
