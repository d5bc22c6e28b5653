// The key store on disk: values survive a restart, a store from another
// machine is thrown away, config.ini is taken over once, and a save killed
// half-way leaves the old or the new store, never a broken one.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/keystore/keystore.h"
#include "crash/probes/machine_identity.h"
#include "test_support.h"

namespace {

using VemoSDK::KeyStore;
using vemo::test::TempDir;

std::string mac_a() { return "00:1A:2B:3C:4D:5E"; }
std::string mac_b() { return "00:1A:2B:3C:4D:5F"; }
std::string serial() { return "1a2b3c4d"; }

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class KeyStoreFile : public ::testing::Test {
protected:
  void SetUp() override {
    VemoSDK::set_mac_probe(mac_a);
    VemoSDK::set_volume_serial_probe(serial);
  }
  void TearDown() override {
    VemoSDK::set_mac_probe(nullptr);
    VemoSDK::set_volume_serial_probe(nullptr);
  }
  // A store as a new process would open it.
  std::unique_ptr<KeyStore> open() {
    std::string folder = dir.path();
    return std::make_unique<KeyStore>([folder] { return folder; });
  }
  TempDir dir{"keystore"};
};

TEST_F(KeyStoreFile, ValuesSurviveARestartAndKeysIgnoreCase) {
  auto first = open();
  EXPECT_FALSE(first->get("token"));
  EXPECT_TRUE(first->set("Token", "t-1"));
  EXPECT_TRUE(first->set("other", "\xe4\xbd\xa0\xe5\xa5\xbd"));
  EXPECT_TRUE(first->set("token", "t-2"));  // replaces "Token"
  first.reset();
  EXPECT_TRUE(exists(dir.file("config.dat")));

  auto second = open();
  EXPECT_EQ("t-2", second->get("TOKEN").value_or("<missing>"));
  EXPECT_EQ("\xe4\xbd\xa0\xe5\xa5\xbd", second->get("other").value_or("<missing>"));
  // The store carries this machine's binding from its first save.
  EXPECT_EQ(VemoSDK::device_id_of(mac_a(), serial()), second->get("vm_win_ut").value_or("<missing>"));
  second->remove("other");
  second.reset();
  EXPECT_FALSE(open()->get("other"));
}

TEST_F(KeyStoreFile, AStoreFromAnotherMachineStartsEmpty) {
  open()->set("a", "b");
  VemoSDK::set_mac_probe(mac_b);
  auto elsewhere = open();
  EXPECT_FALSE(elsewhere->get("a"));
  EXPECT_EQ(VemoSDK::device_id_of(mac_b(), serial()), elsewhere->get("vm_win_ut").value_or("<missing>"));
}

TEST_F(KeyStoreFile, BrokenFilesStartAnEmptyStore) {
  for (const std::string& content : {std::string("not enciphered at all"), std::string(), std::string(5000, '\xff')}) {
    ASSERT_TRUE(vemo::test::write_file(dir.file("config.dat"), content));
    auto store = open();
    EXPECT_FALSE(store->get("a"));
    EXPECT_TRUE(store->set("a", "b"));
    EXPECT_EQ("b", open()->get("a").value_or("<missing>"));
  }
}

TEST_F(KeyStoreFile, ConfigIniIsTakenOverOnceAndStaysAfterARestart) {
  ASSERT_TRUE(vemo::test::write_file(dir.file("config.ini"),
                                     "[other]\nx=y\n[vmsdk]\na=b\nlong=v1=ignored\nvm_win_ut=from-elsewhere\n"));
  auto store = open();
  EXPECT_EQ("b", store->get("a").value_or("<missing>"));
  EXPECT_EQ("v1", store->get("long").value_or("<missing>"));
  EXPECT_FALSE(store->get("x"));
  EXPECT_TRUE(exists(dir.file("config.dat")));
  EXPECT_FALSE(exists(dir.file("config.ini")));
  store.reset();
  auto restarted = open();
  EXPECT_EQ("b", restarted->get("a").value_or("<missing>"));
  EXPECT_EQ(VemoSDK::device_id_of(mac_a(), serial()), restarted->get("vm_win_ut").value_or("<missing>"));
}

TEST_F(KeyStoreFile, AValueThatWouldNotLoadBackIsRefused) {
  auto store = open();
  EXPECT_TRUE(store->set("small", "kept"));
  EXPECT_FALSE(store->set("big", std::string(70000, 'x')));
  EXPECT_TRUE(store->set("fits", std::string(60000, 'x')));
  EXPECT_FALSE(store->set("more", std::string(6000, 'y')));
  store.reset();
  auto restarted = open();
  EXPECT_EQ("kept", restarted->get("small").value_or("<missing>"));
  EXPECT_EQ(60000u, restarted->get("fits").value_or("").size());
  EXPECT_FALSE(restarted->get("big"));
}

TEST_F(KeyStoreFile, AClearedStoreIsEmptyAfterARestart) {
  auto store = open();
  store->set("a", "b");
  store->clear();
  EXPECT_FALSE(store->get("a"));
  store.reset();
  EXPECT_FALSE(open()->get("a"));
}

TEST_F(KeyStoreFile, WithoutAFolderNothingIsKeptOrWritten) {
  KeyStore early([] { return std::string(); });
  EXPECT_FALSE(early.set("a", "b"));
  EXPECT_FALSE(early.get("a"));
  early.clear();
  EXPECT_FALSE(exists("config.dat"));
  // Once there is a folder, the store on disk is read after all.
  ASSERT_TRUE(open()->set("a", "on disk"));
  std::string folder;
  KeyStore later([&folder] { return folder; });
  EXPECT_FALSE(later.get("a"));
  folder = dir.path();
  EXPECT_EQ("on disk", later.get("a").value_or("<missing>"));
}

HANDLE start_probe(const std::string& folder) {
  std::string line = "\"" + vemo::test::test_bin_dir() + "\\keystore_probe.exe\" \"" + folder + "\"";
  std::wstring command(line.begin(), line.end());  // the test paths are ASCII
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

TEST_F(KeyStoreFile, ASaveKilledHalfWayLeavesAWholeStore) {
  for (int delay : {0, 7, 23, 61, 140}) {
    SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
    DeleteFileA(dir.file("ready").c_str());
    HANDLE probe = start_probe(dir.path());
    ASSERT_NE(nullptr, probe);
    for (int i = 0; i < 1000 && !exists(dir.file("ready")); ++i) Sleep(10);
    ASSERT_TRUE(exists(dir.file("ready")));
    Sleep(delay);
    TerminateProcess(probe, 9);
    WaitForSingleObject(probe, 10000);
    CloseHandle(probe);

    auto store = open();
    std::string pad = store->get("pad").value_or("");
    std::string round = store->get("round").value_or("");
    ASSERT_FALSE(pad.empty()) << "the store was lost";
    ASSERT_FALSE(round.empty()) << "the store was lost";
    // "pad" is saved before "round": the file holds the round named by "round"
    // or the one after it.
    unsigned named = static_cast<unsigned>(std::stoul(round));
    unsigned padded = static_cast<unsigned>(std::stoul(pad.substr(pad.find_first_of("0123456789"))));
    EXPECT_TRUE(padded == named || padded == named + 1) << padded << " / " << named;
    EXPECT_EQ(20000 + padded % 1000 + std::to_string(padded).size(), pad.size());
  }
}

}  // namespace
