// The _vemosdk media functions on a machine without a sound device (no
// sound server runs for this test): requests, refusals and the records
// folder. Sound itself is tested end to end in voice_e2e_test.py.
#include "../lua/vemosdk_fixture.h"

#include "core/file_utils.h"
#include "core/text_convert.h"
#include "media/voice_records.h"

#include <mmsystem.h>

#include <string>

namespace {

using VoiceFunctions = vemo::test::VemosdkModule;
using VemoSDK::Media::records_folder;

// A JSON string of any text (paths with backslashes).
std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

void put_record(const std::string& name, const std::string& bytes) {
  std::string path = records_folder() + name;
  ASSERT_EQ(1, vemo_write_file(path.c_str(), bytes.data(), bytes.size(), 0)) << path;
}

TEST_F(VoiceFunctions, RequestsThatCannotStartAreAnsweredWithTheirCode) {
  const struct {
    const char* call;
    const char* answer;
  } cases[] = {
      {"_vemosdk.media_start_record(11, '{\"filename\":')", R"({"succ":false,"message":":","code":7025014})"},
      {"_vemosdk.media_start_record(12, '[1]')",
       R"({"succ":false,"message":"the request is not an object","code":7025014})"},
      {"_vemosdk.media_start_record(13, '{\"filename\":\"\",\"format\":\"amr\"}')",
       R"({"succ":false,"message":"filename and format are required","code":7025014})"},
      {"_vemosdk.media_start_record(14, '{\"filename\":\"v\",\"format\":\"amr\",\"sampling_rate\":44100}')",
       R"({"succ":false,"message":"only mono at 8000 or 16000 Hz can be recorded","code":7025013})"},
      {"_vemosdk.media_start_record(15, '{\"sampling_rate\":8000,\"channel\":2}')",
       R"({"succ":false,"message":"only mono at 8000 or 16000 Hz can be recorded","code":7025013})"},
      {"_vemosdk.media_stop_record(16)",
       R"({"succ":false,"was_recording":false,"message":"no record result","code":7025014,"filesize":0})"},
      {"_vemosdk.media_start_play(17, 'x')", R"({"succ":false,"message":"x","code":7025014})"},
      {"_vemosdk.media_start_play(18, '{\"filepath\":\"Z:/no/such.amr\"}')",
       R"({"succ":false,"message":"file not exists","code":7025009})"},
      {"_vemosdk.media_stop_play(19)", R"({"succ":true,"was_playing":false,"message":"","code":0})"},
      {"_vemosdk.media_delete(20, '{')", R"({"succ":false,"message":"{","code":7025014})"},
  };
  int64_t id = 11;
  for (const auto& c : cases) {
    ASSERT_EQ("", run(c.call)) << c.call;
    EXPECT_EQ(c.answer, answer_for(id++)) << c.call;
  }
}

TEST_F(VoiceFunctions, WithoutAMicrophoneRecordingIsRefused) {
  if (waveInGetNumDevs() != 0) GTEST_SKIP() << "this machine has a microphone";
  run("_vemosdk.media_start_record(30, '{\"filename\":\"v\",\"format\":\"amr\",\"sampling_rate\":16000}')");
  EXPECT_EQ(R"({"succ":false,"message":"microphone is not available","code":7025001})", answer_for(30));
  // Nothing started: stopping finds nothing.
  run("_vemosdk.media_stop_record(31)");
  EXPECT_NE(std::string::npos, answer_for(31).find("\"no record result\""));
}

TEST_F(VoiceFunctions, AFileWithoutAnAmrHeaderIsNotPlayedAndLeavesTheNextPlaybackFree) {
  put_record("not_amr.amr", "RIFF----WAVEfmt ");
  std::string request = quoted("{\"filepath\":" + json_string(records_folder() + "not_amr.amr") + "}");
  run("_vemosdk.media_start_play(40, " + request + ")");
  EXPECT_EQ(R"({"succ":true,"message":"","code":0})", answer_for(40));
  // The thread ends at the header without an event, and the next start is
  // accepted once it has ended.
  std::string next;
  for (int id = 41; id < 141; ++id) {
    run("_vemosdk.media_start_play(" + std::to_string(id) + ", " + request + ")");
    next = answer_for(id);
    if (next.find("7025015") == std::string::npos) break;
    Sleep(50);
  }
  EXPECT_EQ(R"({"succ":true,"message":"","code":0})", next);
  Sleep(300);
  run("_vemosdk.media_stop_play(200)");
  EXPECT_EQ(R"({"succ":true,"was_playing":false,"message":"","code":0})", answer_for(200));
  EXPECT_EQ("nil", run("return _vemosdk.tick()")) << "a file that was not played posted an event";
}

TEST_F(VoiceFunctions, DeletingCountsTheRecordsOfOneNameOrOfAll) {
  run("_vemosdk.media_delete(50, '{\"filename\":\"*\"}')");
  answer_for(50);
  for (const char* name : {"a.amr", "a.wav", "ab.amr", "b.amr", "..amr"}) put_record(name, "#!AMR\n");
  CreateDirectoryW(utf8_to_wstring(records_folder() + "a").c_str(), nullptr);  // folders are left alone
  const struct {
    const char* filename;
    const char* answer;
  } cases[] = {
      {"a", R"({"deleted_count":2})"},  {"a", R"({"deleted_count":0})"}, {"..\\b", R"({"deleted_count":0})"},
      {"", R"({"deleted_count":0})"},   {"*", R"({"deleted_count":3})"}, {"*", R"({"deleted_count":0})"},
  };
  int64_t id = 51;
  for (const auto& c : cases) {
    run("_vemosdk.media_delete(" + std::to_string(id) + ", " + quoted("{\"filename\":" + json_string(c.filename) + "}") + ")");
    EXPECT_EQ(c.answer, answer_for(id++)) << c.filename;
  }
  EXPECT_TRUE(RemoveDirectoryW(utf8_to_wstring(records_folder() + "a").c_str()));
}

TEST_F(VoiceFunctions, WrongArgumentTypesRaise) {
  for (const char* call : {"_vemosdk.media_start_record('x', '{}')", "_vemosdk.media_start_play(1, {})"}) {
    EXPECT_EQ(0u, run(call).find("error: ")) << call;
  }
}

}  // namespace
