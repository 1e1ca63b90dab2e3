// Kills a child process at random moments while it saves a workbook over
// and over, and checks after every kill that the file opens and holds one
// version throughout (the old one or the new one, never a mix).
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "platform/workbook/workbook_table.h"
#include "tests/support/connection_string.h"

namespace korvan::testing {

inline bool SaveInProgress(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".saving-") != std::string::npos) return true;
  }
  return false;
}

// Writes `version` into every record of the workbook's first sheet and
// closes, saving.
inline void SaveVersion(const WorkbookOpener& opener, const std::string& path, int version) {
  WorkbookConnection connection(opener);
  connection.Open(ConnectionStringFor(path));
  WorkbookTable table(connection);
  table.SetTableName(connection.TableSchema().at(0).TableName);
  table.Open();
  for (table.MoveLast(); !table.Bof(); table.MovePrevious()) {
    for (int c = 0; c < table.FieldCount(); ++c) {
      table.SetText(table.FieldName(c), std::to_string(version));
    }
    table.Update();
  }
  table.Close();
}

struct KillReport {
  long one_save_us = 0;
  int last_version = 0;
  int kills_during_save = 0;
};

// `version_of` reads the file and returns the one version all its data
// cells hold, failing the test otherwise. The path's folder must hold only
// the workbook and its backup.
template <typename VersionOf>
KillReport KillDuringSaves(const WorkbookOpener& opener, const std::string& path, int rounds,
                           VersionOf version_of) {
  KillReport report;
  const std::string folder = std::filesystem::path(path).parent_path().string();
  // One save's time sets the range of the kill moments: up to three saves.
  const auto start = std::chrono::steady_clock::now();
  SaveVersion(opener, path, 1);
  const auto one_save = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  report.one_save_us = static_cast<long>(one_save.count());
  std::mt19937 random(12345);
  std::uniform_int_distribution<long> moment(0, 3 * one_save.count());
  report.last_version = 1;
  for (int round = 0; round < rounds; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      try {
        for (int version = report.last_version + 1;; ++version) SaveVersion(opener, path, version);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "saving child: %s\n", e.what());
      }
      _exit(1);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    if (round % 2 == 1) {
      // Every other kill waits for a save in progress (its temporary file).
      const auto give_up = std::chrono::steady_clock::now() + 10 * one_save;
      while (!SaveInProgress(folder) && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the saving child ended on its own";
    if (SaveInProgress(folder)) ++report.kills_during_save;
    const int version = version_of(path);
    EXPECT_GE(version, report.last_version);
    report.last_version = version;
  }
  std::printf("one save: %ld us; %d kills; last version saved: %d; kills during a save: %d\n",
              report.one_save_us, rounds, report.last_version, report.kills_during_save);
  return report;
}

}  // namespace korvan::testing
