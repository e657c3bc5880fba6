// Addresses against a small server on this machine, and the checks ahead
// that use them.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "scheduler/win/AddressProbe.h"
#include "scheduler/win/InputChecker.h"
#include "tests/win/unattended/Messages.h"
#include "tools/driver/Driver.h"

namespace cuelark::test {
namespace {

using std::chrono::milliseconds;

struct Winsock {
  Winsock() { ok = WSAStartup(MAKEWORD(2, 2), &data) == 0; }
  ~Winsock() {
    if (ok) WSACleanup();
  }
  WSADATA data{};
  bool ok;
};

class Socket {
 public:
  explicit Socket(SOCKET socket = INVALID_SOCKET) : socket_(socket) {}
  Socket(Socket&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET)) {}
  Socket& operator=(Socket&& other) noexcept {
    Reset();
    socket_ = std::exchange(other.socket_, INVALID_SOCKET);
    return *this;
  }
  ~Socket() { Reset(); }
  void Reset() {
    if (socket_ != INVALID_SOCKET) closesocket(std::exchange(socket_, INVALID_SOCKET));
  }
  SOCKET get() const { return socket_; }

 private:
  SOCKET socket_;
};

// A listening socket on 127.0.0.1 and its port.
Socket Listen(unsigned short& port) {
  Socket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof(address);
  if (listener.get() == INVALID_SOCKET || bind(listener.get(), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0 || listen(listener.get(), 4) != 0)
    return Socket();
  port = ntohs(address.sin_port);
  return listener;
}

// Serves one request: keeps its head, then answers with `answer` (nothing
// when empty) and holds the connection until the client closes it, or
// until a limit well past the client's.
class OneRequestServer {
 public:
  explicit OneRequestServer(std::string answer) : listener_(Listen(port_)) {
    if (listener_.get() == INVALID_SOCKET) return;
    thread_ = std::thread([this, answer, listening = listener_.get()] {
      const Socket client(accept(listening, nullptr, nullptr));
      if (client.get() == INVALID_SOCKET) return;
      const DWORD limitMs = 15000;
      setsockopt(client.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limitMs), sizeof(limitMs));
      char buffer[1024];
      while (head_.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client.get(), buffer, sizeof(buffer), 0);
        if (got <= 0) return;
        head_.append(buffer, static_cast<std::size_t>(got));
      }
      SetEvent(requested_.get());
      if (!answer.empty()) send(client.get(), answer.data(), static_cast<int>(answer.size()), 0);
      int got = 0;
      while ((got = recv(client.get(), buffer, sizeof(buffer), 0)) > 0) {
      }
      clientClosed_ = got == 0;
    });
  }
  ~OneRequestServer() {
    // Ends an accept that no client came to.
    listener_.Reset();
    if (thread_.joinable()) thread_.join();
  }
  bool Listening() const { return listener_.get() != INVALID_SOCKET; }
  std::wstring Address(const std::wstring& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
  }
  bool WaitForRequest() const { return WaitForSingleObject(requested_.get(), 10000) == WAIT_OBJECT_0; }
  // Both once the server thread is done.
  bool ClientClosed() {
    if (thread_.joinable()) thread_.join();
    return clientClosed_;
  }
  std::string RequestLine() {
    if (thread_.joinable()) thread_.join();
    return head_.substr(0, head_.find("\r\n"));
  }

 private:
  unsigned short port_ = 0;
  win32::unique_handle requested_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  Socket listener_;
  std::string head_;
  bool clientClosed_ = false;
  std::thread thread_;
};

// An address where nothing listens: a port just given up.
std::wstring ClosedPortAddress() {
  unsigned short port = 0;
  Listen(port);
  return L"http://127.0.0.1:" + std::to_wstring(port) + L"/stream";
}

class AddressProbeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(winsock_.ok); }
  Winsock winsock_;
};

TEST_F(AddressProbeTest, AnyAnswerPassesAndSilenceFails) {
  struct Case {
    std::string answer;
    bool passes;
  };
  const std::vector<Case> cases = {
      {"HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: 100000\r\n\r\nID3", true},
      {"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n", true},
      {"ICY 200 OK\r\nicy-name: test\r\n\r\n", true},
      {"", false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.answer);
    OneRequestServer server(test.answer);
    ASSERT_TRUE(server.Listening());
    const std::optional<std::wstring> reason = AddressProbe().Reach(server.Address(L"/live/a.mp3?x=1"));
    EXPECT_EQ(reason.has_value(), !test.passes) << testing::PrintToString(reason.value_or(L""));
    if (!test.passes && reason) {
      EXPECT_EQ(*reason, L"no answer within 5 seconds");
    }
    EXPECT_EQ(server.RequestLine(), "GET /live/a.mp3?x=1 HTTP/1.1");
    // Not kept open for another request, which would receive a stream on.
    EXPECT_TRUE(server.ClientClosed());
  }
}

TEST_F(AddressProbeTest, AClosedPortFailsWithAReason) {
  const std::optional<std::wstring> reason = AddressProbe().Reach(ClosedPortAddress());
  ASSERT_TRUE(reason);
  EXPECT_EQ(*reason, L"the connection was refused or the server cannot be reached");
}

TEST_F(AddressProbeTest, CheckerPostsEachResultWithItsEntry) {
  TempFolder folder;
  const std::filesystem::path present = folder / L"present.mp3";
  std::ofstream(present) << "ID3";
  OneRequestServer server("HTTP/1.0 200 OK\r\n\r\n");
  ASSERT_TRUE(server.Listening());
  const win32::unique_hwnd window = MessageWindow();
  std::wstring error;
  const auto checker = InputChecker::Create(window.get(), kTestMessage, std::make_unique<AddressProbe>(), error);
  ASSERT_TRUE(checker) << testing::PrintToString(error);

  const LocalDateTime due{{2026, 12, 8}, {7, 30, 0}};
  const std::wstring missing = (folder / L"missing.mp3").wstring();
  const std::wstring closed = ClosedPortAddress();
  checker->Check({1, due, L"present", present.wstring()});
  checker->Check({2, due, L"missing", missing});
  checker->Check({3, due, L"served", server.Address(L"/")});
  checker->Check({4, due, L"closed", closed});
  std::map<EntryId, InputCheckResult> results;
  while (results.size() < 4) {
    ASSERT_TRUE(WaitForPosted(kTestMessage, milliseconds(20000))) << results.size() << " results";
    for (InputCheckResult& result : checker->TakeResults()) results.emplace(result.id, std::move(result));
  }
  const std::map<EntryId, std::pair<std::wstring, std::optional<std::wstring>>> expected = {
      {1, {L"present", std::nullopt}},
      {2, {L"missing", L"not found: " + missing}},
      {3, {L"served", std::nullopt}},
      {4, {L"closed", L"no answer from " + closed + L": the connection was refused or the server cannot be reached"}},
  };
  for (const auto& [id, want] : expected) {
    SCOPED_TRACE(id);
    EXPECT_EQ(results[id].name, want.first);
    EXPECT_EQ(results[id].due, due);
    EXPECT_EQ(results[id].reason, want.second);
  }
}

TEST_F(AddressProbeTest, ACheckerGoesWithChecksUnderWay) {
  // A server that never answers holds a check for the whole limit.
  OneRequestServer server("");
  ASSERT_TRUE(server.Listening());
  const win32::unique_hwnd window = MessageWindow();
  std::wstring error;
  auto checker = InputChecker::Create(window.get(), kTestMessage, std::make_unique<AddressProbe>(), error);
  ASSERT_TRUE(checker);
  for (EntryId id = 1; id <= 3; ++id) checker->Check({id, {}, L"silent", server.Address(L"/")});
  ASSERT_TRUE(server.WaitForRequest());
  checker.reset();
  // Nothing is announced by a checker that has gone.
  EXPECT_FALSE(WaitForPosted(kTestMessage, milliseconds(200)));
}

}  // namespace
}  // namespace cuelark::test
