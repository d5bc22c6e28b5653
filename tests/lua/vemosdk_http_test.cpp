// The _vemosdk download and HTTP functions, called from Lua against the test
// server; every answer is read back the way the scripts read it, one task
// per tick.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <chrono>
#include <string>
#include <thread>

#include "core/sha256.h"
#include "core/base64.h"
#include "http/batch_submit_manager.h"
#include "http/http_manager.h"
#include "http_test_support.h"
#include "lua/lua_http_args.h"
#include "test_support.h"
#include "vemosdk_fixture.h"

namespace vemo::test {
namespace {

// Keeps every task the ticks hand out in the Lua table `tasks`.
constexpr const char* kCollector = R"lua(
J = _vemosdk_lua_cjson.decode
tasks = {}
function pump()
  while true do
    local name, id, json, buffer = _vemosdk.tick()
    if name == nil then return end
    tasks[#tasks + 1] = {name = name, id = id, json = json, buffer = buffer}
  end
end
-- The JSON text of the first ASYNC_CALL answer for id, or nil.
function answer(id)
  for _, t in ipairs(tasks) do
    if t.name == "ASYNC_CALL" and t.id == id then return t.json, t.buffer end
  end
end
-- The lists of the batch's bundles, in arrival order.
function bundles(batch)
  local lists = {}
  for _, t in ipairs(tasks) do
    if t.name == "BATCH_SUBMIT_EVENT" and t.id == batch then lists[#lists + 1] = J(t.json).list end
  end
  return lists
end
-- The result items of a batch, by callback id.
function batch_results(batch)
  local results, count = {}, 0
  for _, list in ipairs(bundles(batch)) do
    for _, item in ipairs(list) do
      if item.cb_type == "ASYNC_CALL" then results[item.cbid] = item; count = count + 1 end
    end
  end
  return results, count
end
)lua";

// A text as a JSON string.
std::string json_string(const std::string& text) {
  vemo::JsonPtr item(cJSON_CreateString(text.c_str()));
  return vemo::print_json(item.get());
}

class VemosdkHttp : public VemosdkModule {
protected:
  void SetUp() override {
    VemosdkModule::SetUp();
    ASSERT_EQ("", run(kCollector));
  }
  // Ticks until the Lua expression is true; false after the time-out.
  bool pump_until(const std::string& condition, int seconds = 60) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      if (run("pump() return " + condition) == "true") return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "never true: " << condition;
    return false;
  }
  // The answer for a callback id once it has come.
  std::string answer(int64_t id) {
    std::string call = "answer(" + std::to_string(id) + ")";
    if (!pump_until(call + " ~= nil", 30)) return "";
    return run("return (" + call + ")");
  }
  // Lua text of a string value.
  static std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
      if (c == '\\' || c == '\'') out += '\\';
      out += c;
    }
    return out + "'";
  }
};

TEST_F(VemosdkHttp, SubmitDownloadListAnswersItsOwnFaults) {
  TempDir dir("lua-list-faults");
  write_file(dir.file("empty.json"), "[]");
  const struct {
    std::string args;
    const char* answer;
  } cases[] = {
      {"'not a table'", R"({"succ":false,"msg":"parameter is invalid","code":7016008})"},
      {"{list = '[]'}", R"({"succ":true})"},
      {"{}", R"({"succ":false,"msg":"list is invalid","code":7016008})"},
      {"{list = 'not json'}", R"({"succ":false,"msg":"list is invalid","code":7016008})"},
      {"{list = '{\"a\":1}'}", R"({"succ":false,"msg":"list is invalid","code":7016008})"},
      {"{file = " + quoted(dir.file("none.json")) + "}", R"({"succ":false,"msg":"list is invalid","code":7016008})"},
      {"{file = " + quoted(dir.file("empty.json")) + "}", R"({"succ":true})"},
  };
  int64_t id = 100;
  for (const auto& c : cases) {
    EXPECT_EQ("", run("_vemosdk.submit_download_list(" + std::to_string(id) + ", " + c.args + ")"));
    EXPECT_EQ(c.answer, answer(id)) << c.args;
    ++id;
  }
  EXPECT_FALSE(file_exists(dir.file("empty.json")));  // a list file is used once
  // The list is looked at before the options: an empty one answers at once.
  EXPECT_EQ("", run("_vemosdk.submit_download_list(" + std::to_string(id) + ", {list = '[]', opts = {x = 1.5}})"));
  EXPECT_EQ(R"({"succ":true})", answer(id));
  EXPECT_NE(std::string::npos,
            run("_vemosdk.submit_download_list(1, {list = '[{\"cbid\":7}]', opts = {x = 1.5}})")
                .find("opts value x is not an integer"));
  EXPECT_NE(std::string::npos, run("_vemosdk.submit_download_list('x', {})").find("bad argument #1"));
}

TEST_F(VemosdkHttp, TwoHundredFilesComeBackAsBundlesOfTheirBatch) {
  ServedFolder served("lua-200");
  TempDir dir("lua-200");
  std::string list = "[";
  for (int i = 0; i < 200; ++i) {
    std::string bytes = test_bytes(2000 + i * 37, 300 + i);
    std::string name = "f" + std::to_string(i) + ".bin";
    served.add(name, bytes);
    if (i) list += ",";
    list += "{\"cbid\":" + std::to_string(6000 + i) + ",\"taskId\":\"t200-" + std::to_string(i) +
            "\",\"encode_path\":\"" + name + "?group=" + served.group() + "\",\"checksum\":\"" + reference_md5(bytes) +
            "\",\"expect_size\":" + std::to_string(bytes.size()) + ",\"file\":" + json_string(dir.file(name + ".part")) +
            ",\"dest\":" + json_string(dir.file(name)) + "}";
  }
  list += "]";
  run("LIST = " + quoted(list));
  EXPECT_EQ("", run("_vemosdk.submit_download_list(777, {list = LIST, file_ext = {base_url = " +
                    quoted(http_base_url() + "/" + served.group()) + "}})"));
  EXPECT_EQ(R"({"succ":true})", answer(777));
  ASSERT_TRUE(pump_until("select(2, batch_results(777)) >= 200", 120));

  // Every result once, with its batch; no header item of a success in or
  // after the bundle with that success; one progress item at most per bundle.
  EXPECT_EQ("200,0,0,true", run(R"lua(
    local results, count = batch_results(777)
    local bad, late_headers, most_progress, seen = 0, 0, 0, {}
    for _, list in ipairs(bundles(777)) do
      local progress = 0
      for _, item in ipairs(list) do
        if item.batchSubmitCbid ~= 777 or item.cbid < 6000 or item.cbid >= 6200 then bad = bad + 1 end
        if item.cb_type == "ASYNC_CALL" then
          if item.status ~= 200 then bad = bad + 1 end
          seen[item.cbid] = true
        elseif item.type == "header" then
          if seen[item.cbid] then late_headers = late_headers + 1 end
        else
          progress = progress + 1
        end
      end
      most_progress = math.max(most_progress, progress)
    end
    return count, bad, late_headers, most_progress <= 1)lua"));
  for (int i = 0; i < 200; i += 37) {
    std::string name = "f" + std::to_string(i) + ".bin";
    EXPECT_EQ(test_bytes(2000 + i * 37, 300 + i).size(), static_cast<size_t>(file_size(dir.file(name)))) << name;
  }
}

TEST_F(VemosdkHttp, ItemsThatCannotBeQueuedAreAnsweredThroughTheirBatch) {
  ServedFolder served("lua-items");
  TempDir dir("lua-items");
  const std::string bytes = test_bytes(5000, 9);
  served.add("ok.bin", bytes);
  const std::string path = "ok.bin?group=" + served.group();
  auto item = [&](const std::string& cbid, const std::string& task, const std::string& extra) {
    std::string text = "{";
    if (!cbid.empty()) text += "\"cbid\":" + cbid + ",";
    if (!task.empty()) text += "\"taskId\":\"" + task + "\",";
    return text + extra + "}";
  };
  auto file = [&](const std::string& name) {
    return "\"file\":" + json_string(dir.file(name));
  };
  const std::string list = "[" +
      item("1", "", "\"encode_path\":\"" + path + "\"") + "," +
      item("2", "t2", file("t2")) + "," +
      item("3", std::string(33, 'x'), "\"encode_path\":\"" + path + "\"") + "," +
      item("4", "t4", "\"encode_path\":\"" + path + "\",\"file\":\"" + std::string(2048, 'f') + "\"") + "," +
      item("5", "t5", "\"encode_path\":\"" + std::string(2100, 'p') + "\"") + "," +
      item("6", "t6", "\"encode_path\":\"" + path + "\",\"headers\":{\"X-Long\":\"" + std::string(8200, 'h') + "\"}") +
      "," + item("", "t7", "\"encode_path\":\"" + path + "\"," + file("t7")) + "," +
      item("8", "dup", "\"encode_path\":\"" + path + "\"," + file("dup8")) + "," +
      item("9", "dup", "\"encode_path\":\"" + path + "\"," + file("dup9")) + "," +
      item("4611686018427387907", "big", "\"encode_path\":\"" + path + "\"," + file("big") +
           ",\"headers\":{\"X-Num\":5,\"X-Flag\":true}") +
      "," + item("10", "t10", "\"encode_path\":\"" + path + "\",\"headers\":{\"X-Bad\":\"a\\r\\nX-Evil: 1\"}") +
      "]";
  run("LIST = " + quoted(list));
  run("_vemosdk.submit_download_list(888, {list = LIST, file_ext = {base_url = " +
      quoted(http_base_url() + "/" + served.group()) + "}})");
  EXPECT_EQ(R"({"succ":true})", answer(888));
  ASSERT_TRUE(pump_until("select(2, batch_results(888)) >= 10"));
  const struct {
    const char* cbid;
    const char* shown;
  } cases[] = {
      {"1", "7016008 taskId is not a string"},
      {"2", "7016008 encode_path is not a string"},
      {"3", "7016008 taskId is too long"},
      {"4", "7016008 file is too long"},
      {"5", "7016008 url is too long"},
      {"6", "7016008 header line is too long: X-Long"},
      {"10", "7016008 header line holds a line break: X-Bad"},
      {"8", "200 nil"},
      {"9", "7016008 task id already pending"},
      {"4611686018427387907", "200 nil"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.shown, run(std::string("local r = batch_results(888)[") + c.cbid +
                           "] return r and (r.status .. ' ' .. tostring(r.msg)) or 'none'"))
        << c.cbid;
  }
  EXPECT_EQ("integer", run("for id in pairs(batch_results(888)) do if id > 2^53 then return math.type(id) end end"));
  EXPECT_EQ("10", run("return select(2, batch_results(888))"));  // nothing for the item without a cbid
  EXPECT_FALSE(file_exists(dir.file("t7")));
}

TEST_F(VemosdkHttp, SingleDownloadsRefuseTextsTooLongForTheirFields) {
  ServedFolder served("lua-single");
  TempDir dir("lua-single");
  const std::string url = served.add("one.bin", test_bytes(9000, 3));
  const std::string ok = "{taskId = 'single', file = " + quoted(dir.file("one.part")) + ", dest = " +
                         quoted(dir.file("one.bin")) + "}";
  const struct {
    std::string params;
    std::string url;
    const char* answer;
  } cases[] = {
      {ok, url, nullptr},
      {"{file = " + quoted(dir.file("x")) + "}", url, R"({"status":7016008,"msg":"taskId is missing"})"},
      {"{taskId = 't', file = string.rep('a', 2048)}", url, R"({"status":7016008,"msg":"file is too long"})"},
      {"{taskId = 't', checksum = string.rep('0', 33)}", url, R"({"status":7016008,"msg":"checksum is too long"})"},
      {"{taskId = 't', param_if_range = string.rep('e', 100)}", url,
       R"({"status":7016008,"msg":"param_if_range is too long"})"},
      {"{taskId = 't', file = 'x'}", url + std::string(2048, 'u'), R"({"status":7016008,"msg":"url is too long"})"},
  };
  int64_t id = 300;
  for (const auto& c : cases) {
    EXPECT_EQ("", run("_vemosdk.http_get_file(" + std::to_string(id) + ", " + quoted(c.url) + ", {}, " + c.params +
                      ")"));
    if (c.answer) {
      EXPECT_EQ(c.answer, answer(id)) << c.params;
    }
    ++id;
  }
  EXPECT_NE(std::string::npos, answer(300).find("\"status\":200"));
  EXPECT_EQ(9000, file_size(dir.file("one.bin")));
  EXPECT_NE(std::string::npos, run("_vemosdk.http_get_file(1, 'u', {})").find("bad argument #4"));
}

TEST_F(VemosdkHttp, GetAndPostAnswerWithStatusHeadersAndBody) {
  run("_vemosdk.http_get(400, " + quoted(http_base_url() + "/missing/page.html") + ", {})");
  EXPECT_EQ(R"({"headers":{},"status":404})", answer(400));
  EXPECT_EQ("<html><body>not found</body></html>", run("return select(2, answer(400))"));

  run("_vemosdk.http_post(401, " + quoted(http_base_url() + "/_/echo") + ", {['X-Lua'] = 7}, 'one\\0two')");
  answer(401);
  EXPECT_EQ("200,7,7", run("local json, body = answer(401) local echo = J(body) "
                           "return J(json).status, echo.length, echo.headers['X-Lua']"));
  // Header lines that cannot be sent as given are refused, never cut or
  // passed on with a line break that would add lines of its own.
  const struct {
    const char* headers;
    const char* msg;
  } refused[] = {
      {"{X = string.rep('h', 8190)}", "header line is too long: X"},
      {"{X = 'a\\r\\nX-Evil: 1'}", "header line holds a line break: X"},
      {"{['X\\nEvil'] = 'a'}", "header line holds a line break: X"},
      {"{X = 'a\\0b'}", "header line holds a line break: X"},
  };
  int64_t refused_id = 402;
  for (const auto& c : refused) {
    run("_vemosdk.http_get(" + std::to_string(refused_id) + ", 'http://127.0.0.1:1/', " + c.headers + ")");
    EXPECT_EQ(std::string(R"({"headers":{},"status":7016008,"msg":")") + c.msg + "\"}", answer(refused_id))
        << c.headers;
    ++refused_id;
  }
  EXPECT_NE(std::string::npos, run("_vemosdk.http_post(1, 'u', {}, {})").find("bad argument #4"));
}

TEST(LuaHeaderTable, AHostHeaderSkipsTheHostCheckOnlyOverHttps) {
  LuaStateHolder holder;
  lua_State* L = holder.get();
  const struct {
    const char* table;
    const char* url;
    bool host_header;
    bool skip;
  } cases[] = {
      {"{host = 'x'}", "https://10.0.0.1/", true, true},
      {"{hostname = 'x'}", "https://10.0.0.1/", true, true},
      {"{Host = 'x'}", "https://10.0.0.1/", false, false},  // the name's case counts
      {"{host = 'x'}", "http://10.0.0.1/", true, false},
      {"{host = 'x'}", "HTTPS://10.0.0.1/", true, false},
      {"{accept = 'x'}", "https://10.0.0.1/", false, false},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(LUA_OK, luaL_dostring(L, (std::string("return ") + c.table).c_str()));
    VemoSDK::LuaHttp::HeaderLines headers;
    std::string error;
    ASSERT_TRUE(VemoSDK::LuaHttp::read_header_table(L, -1, headers, error));
    lua_settop(L, 0);
    EXPECT_EQ(c.host_header, headers.hostHeader) << c.table;
    EXPECT_EQ(c.skip, VemoSDK::LuaHttp::skip_host_check(c.url, headers.hostHeader)) << c.table << " " << c.url;
  }
}

TEST_F(VemosdkHttp, SmallAnswersOfStopsPrioritiesAndPins) {
  const struct {
    const char* call;
    const char* answer;
  } cases[] = {
      {"_vemosdk.http_stop_file(500, '')", R"({"succ":false,"msg":"task id is empty"})"},
      {"_vemosdk.http_stop_file(501, 'not-running')", R"({"succ":true})"},
      {"_vemosdk.http_stop_file(502, nil, {task_id_arr = '[\"a\",\"b\"]'})", R"({"succ":true})"},
      {"_vemosdk.update_download_priority(503, 5)", R"({"ret":false,"msg":"parameter is invalid","code":7016008})"},
      {"_vemosdk.update_download_priority(504, '{}')", R"({"ret":true})"},
      {"_vemosdk.update_download_priority(505, '{\"task_id_priority_map\":{\"x\":5}}')", R"({"ret":true})"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ("", run(c.call)) << c.call;
    int64_t id = std::stoll(std::string(c.call).substr(std::string(c.call).find('(') + 1));
    EXPECT_EQ(c.answer, answer(id)) << c.call;
  }
  EXPECT_EQ("", run("_vemosdk.http_add_cert('anything', 1) _vemosdk.http_disable_revocation_check()"));
  const struct {
    const char* call;
    bool verbose;
  } verbose_cases[] = {
      {"_vemosdk.http_set_verbose(true)", true},
      {"_vemosdk.http_set_verbose(false)", false},
      {"_vemosdk.http_set_verbose(1)", true},
      {"_vemosdk.http_set_verbose()", false},  // nothing asks for it
  };
  for (const auto& c : verbose_cases) {
    EXPECT_EQ("", run(c.call));
    EXPECT_EQ(c.verbose, HttpManager::getInstance()->verbose()) << c.call;
  }
}

TEST_F(VemosdkHttp, APinFromAPublicKeyLetsOnlyThatServerAnswer) {
  ASSERT_NE(0, https_port());
  const std::string key = https_public_key_der();
  ASSERT_EQ(294u, key.size());
  lua_pushlstring(L.get(), key.data(), key.size());
  lua_setglobal(L.get(), "KEY");
  run("_vemosdk.http_add_cert_pin(600, '127.0.0.1', KEY)");
  EXPECT_EQ(R"({"succ":true})", answer(600));
  unsigned char digest[32];
  vemo_sha256(key.data(), key.size(), digest);
  const std::string pin = base64_encode(digest, sizeof digest);
  ASSERT_EQ(44u, pin.size());
  EXPECT_NE(std::string::npos, HttpManager::getInstance()->pinnedKeys().find("sha256//" + pin));
  run("_vemosdk.http_get(601, " + quoted(https_base_url() + "/_/stats") + ", {})");
  EXPECT_NE(std::string::npos, answer(601).find("\"status\":200"));
}

TEST_F(VemosdkHttp, ChangingOneDownloadSettingKeepsTheOthers) {
  HttpManager* manager = HttpManager::getInstance();
  run("_vemosdk.http_update_download_config({thread_count = 3})");
  EXPECT_EQ(3, manager->maxConcurrentDownloads());
  run("_vemosdk.http_update_download_config({limit_speed = 100})");
  EXPECT_EQ(3, manager->maxConcurrentDownloads());
  EXPECT_EQ(100, manager->limitSpeedKb());
  run("_vemosdk.http_update_download_config({progress_notify_interval = 250, read_buffer_size_bytes = 32768})");
  EXPECT_EQ(250, DowloadBatchSubmitManager::checkInit().progressIntervalMs());
  EXPECT_EQ(100, manager->limitSpeedKb());
  EXPECT_EQ(32768, manager->readBufferSize());
  EXPECT_EQ(3, manager->maxConcurrentDownloads());
  run("_vemosdk.http_update_download_config({limit_speed = -1, thread_count = 0, read_buffer_size_bytes = 0,"
      " progress_notify_interval = 1000})");
  EXPECT_EQ(0, manager->maxConcurrentDownloads());
  EXPECT_NE(std::string::npos, run("_vemosdk.http_update_download_config(5)").find("bad argument #1"));
}

}  // namespace
}  // namespace vemo::test
