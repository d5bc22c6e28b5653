// The socket module on 127.0.0.1: TCP and UDP exchanges, the results of
// non-blocking calls, select with its time-out and its limits, and the
// argument errors scripts meet.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "vemosdk_fixture.h"

namespace {

class Sockets : public vemo::test::VemosdkModule {
protected:
  void SetUp() override {
    VemosdkModule::SetUp();
    ASSERT_EQ("", run("S = _vemosdk_lsocket "
                      "function port_of(s) return s:info('socket').port end "
                      "function readable(s) local r = S.select({s}, nil, 5) return r and r[1] == s end"));
  }
};

TEST_F(Sockets, ModuleFieldsAndSocketType) {
  EXPECT_EQ("1.4.1,0.0.0.0,::0", run("return S._VERSION, S.INADDR_ANY, S.IN6ADDR_ANY"));
  EXPECT_EQ("nil,Not implement", run("return S.getinterfaces()"));
  EXPECT_EQ("true,vemosdk_socket", run("l = S.bind('127.0.0.1', 0) "
                                       "return tostring(l):find('^vemosdk_socket: ') ~= nil, getmetatable(l).__type"));
  EXPECT_EQ("inet,tcp,true,false,true", run("local i = l:info() return i.family, i.type, i.listening, i.multicast, "
                                            "i.fd == l:getfd()"));
  EXPECT_EQ("inet,127.0.0.1,true,nil", run("local a = l:info('socket') return a.family, a.addr, a.port > 0, l:info('x')"));
  EXPECT_EQ("inet,127.0.0.1", run("local r = S.resolve('127.0.0.1') return r[1].family, r[1].addr"));
}

TEST_F(Sockets, ConnectToAClosedPortIsWritableAndItsStatusSaysRefused) {
  ASSERT_EQ("true", run("local l = S.bind('127.0.0.1', 0) closed_port = port_of(l) return l:close()"));
  EXPECT_EQ("userdata", run("c = S.connect('127.0.0.1', closed_port) return type(c)"));
  EXPECT_EQ("true", run("local r, w = S.select(nil, {c}, 10) return w[1] == c"));
  EXPECT_EQ("nil,Connection refused.", run("return c:status()"));
}

TEST_F(Sockets, StreamExchangeReportsNothingYetDataAndPeerClosed) {
  ASSERT_EQ("false", run("l = S.bind('127.0.0.1', 0) return l:accept()"));
  ASSERT_EQ("userdata", run("c = S.connect('tcp', '127.0.0.1', port_of(l)) return type(c)"));
  ASSERT_EQ("true", run("return readable(l)"));
  EXPECT_EQ("userdata,127.0.0.1,true", run("local p p, addr, port = l:accept() a = p return type(a), addr, port > 0"));
  EXPECT_EQ("true", run("local r, w = S.select(nil, {c}, 5) return w[1] == c and c:status()"));
  // A time-out of any length is a time-out, not an invalid argument.
  EXPECT_EQ("true", run("local r, w = S.select(nil, {c}, 1e300) return w[1] == c"));
  EXPECT_EQ("false", run("return c:recv()"));
  EXPECT_EQ("5,true,hello", run("local n = a:send('hello') return n, readable(c), c:recv()"));
  // A script asking for any size gets what is there, not an allocation of it.
  EXPECT_EQ("3,true,abc", run("local n = a:send('abc') return n, readable(c), c:recv(0x7fffffff)"));
  EXPECT_EQ("true,true,nil", run("return a:close(), readable(c), c:recv()"));
  EXPECT_EQ("true,true,-1", run("return c:close(), c:close(), c:getfd()"));
}

TEST_F(Sockets, DatagramsCarryTheirSender) {
  ASSERT_EQ("userdata", run("u = S.bind('udp', '127.0.0.1', 0) return type(u)"));
  ASSERT_EQ("udp,false", run("return u:info().type, u:info().listening"));
  ASSERT_EQ("4", run("v = S.connect('UDP', '127.0.0.1', port_of(u)) return v:send('ping')"));
  EXPECT_EQ("true,ping,127.0.0.1,true", run("local ok = readable(u) local d, addr, port = u:recvfrom() "
                                            "return ok, d, addr, port == port_of(v)"));
  EXPECT_EQ("4,true,pong", run("return u:sendto('pong', '127.0.0.1', port_of(v)), readable(v), v:recv()"));
  EXPECT_EQ("false", run("return u:recvfrom()"));
}

TEST_F(Sockets, SelectTimesOutAfterItsTime) {
  ASSERT_EQ("false", run("l = S.bind('127.0.0.1', 0) return l:accept()"));
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ("false", run("return S.select({l}, nil, 0.5)"));
  ULONGLONG waited = GetTickCount64() - start;
  EXPECT_GE(waited, 400u);
  EXPECT_LT(waited, 5000u);
  // Without any socket it waits the time alone.
  start = GetTickCount64();
  EXPECT_EQ("false", run("return S.select(nil, nil, 0.3)"));
  EXPECT_GE(GetTickCount64() - start, 250u);
}

TEST_F(Sockets, SelectRefusesWhatItCannotWatch) {
  run("l = S.bind('127.0.0.1', 0) closed = S.bind('127.0.0.1', 0) closed:close() "
      "many = {} for i = 1, 65 do many[i] = S.bind('udp', '127.0.0.1', 0) end");
  struct Case {
    const char* chunk;
    const char* result;
  };
  const Case cases[] = {
      {"return S.select({1})", "error: [string \"return S.select({1})\"]:1: bad argument to 'select' (tables can only "
                               "contain sockets)"},
      {"return S.select({l}, nil, 1, 2)", "error: [string \"return S.select({l}, nil, 1, 2)\"]:1: bad argument to "
                                          "'select' (invalid option)"},
      {"return S.select()", "nil,no open sockets to check and no timeout set"},
      {"return S.select({closed}, {closed})", "nil,no open sockets to check and no timeout set"},
      {"return S.select(many, nil, 0)", "error: [string \"return S.select(many, nil, 0)\"]:1: bad argument to "
                                        "'select' (more than 64 sockets in a table)"},
      {"many[65] = nil return S.select(many, nil, 0)", "false"},
      {"return S.select(nil, {l, l}, 0)", "false"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, run(c.chunk)) << c.chunk;
  EXPECT_EQ("table,true,0", run("local r, w = S.select(nil, many, 1) return type(r), #w == 64, #r"));
  EXPECT_EQ("false", run("local r = S.select(nil, many, 1) r.x = 1 return rawget(r, 'x') ~= nil"));
}

TEST_F(Sockets, ArgumentsScriptsGetWrongAreRefused) {
  run("l = S.bind('127.0.0.1', 0)");
  expect_each_contains({
      {"return l:recv(2^32)", "bad argument #1 to 'recv' (invalid number)"},
      {"return l:recv(0)", "bad argument #1 to 'recv' (invalid number)"},
      {"return l:recvfrom(-1)", "bad argument #1 to 'recvfrom' (invalid number)"},
      {"return S.connect('127.0.0.1')", "number expected, got no value."},
      {"return S.bind('udp')", "number expected, got no value X"},
      {"return S.connect('mcast', '/tmp/sock', 1)", "multicast not available for unix domain sockets."},
      {"return S.connect('127.0.0.1', 70000)", "invalid port"},
  });
  EXPECT_EQ("nil,bad argument #1 to 'setfd' (invalid fd),true,-1", run("local a, b = l:setfd(3) return a, b, l:setfd(-1), l:getfd()"));
  EXPECT_EQ("nil,unix domain path too long", run("return S.connect('/' .. string.rep('x', 120))"));
}

}  // namespace
