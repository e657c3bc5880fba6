#include "scheduler/win/AddressProbe.h"

#include <windows.h>
#include <winhttp.h>

#include "common/win32/Handles.h"

namespace cuelark {
namespace {

using unique_hinternet = win32::UniqueHandleTraits<HINTERNET, WinHttpCloseHandle>::type;

// WSAETIMEDOUT, which some WinHTTPs pass on for a silent server.
constexpr DWORD kSocketTimedOut = 10060;

std::wstring ReasonFor(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return L"the connection was refused or the server cannot be reached";
    case ERROR_WINHTTP_TIMEOUT:
    case kSocketTimedOut:
      return L"no answer within " + std::to_wstring(kAddressAnswerLimit.count() / 1000) + L" seconds";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return L"the server's name is not known";
    case ERROR_WINHTTP_SECURE_FAILURE:
      return L"the secure connection could not be made";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return L"the connection was closed before an answer";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return L"the answer was not HTTP";
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return L"the address is not valid";
    default:
      return L"the request failed (WinHTTP error " + std::to_wstring(error) + L")";
  }
}

}  // namespace

std::optional<std::wstring> AddressProbe::Reach(const std::wstring& address) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof(parts);
  // Lengths without buffers: the parts are pointed at inside `address`.
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts))
    return ReasonFor(GetLastError());
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  const unique_hinternet session(
      WinHttpOpen(L"Cuelark", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return ReasonFor(GetLastError());
  const unique_hinternet connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return ReasonFor(GetLastError());
  // GET rather than HEAD: a stream server may refuse HEAD. The body is
  // never read; closing the request ends it.
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  const unique_hinternet request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr,
                                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
  if (!request) return ReasonFor(GetLastError());
  // The limit shared out over the steps, so that all of them together cannot
  // take longer: finding the name, connecting, sending, and the answer's
  // head, which has a limit of its own beside the one for reading.
  const DWORD limit = static_cast<DWORD>(kAddressAnswerLimit.count());
  DWORD answerLimit = limit / 2;
  if (!WinHttpSetTimeouts(request.get(), static_cast<int>(limit / 5), static_cast<int>(limit / 5),
                          static_cast<int>(limit / 10), static_cast<int>(answerLimit)) ||
      !WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &answerLimit, sizeof(answerLimit)))
    return ReasonFor(GetLastError());
  // A stream does not end: a connection kept for another request would go
  // on receiving it.
  DWORD feature = WINHTTP_DISABLE_KEEP_ALIVE;
  if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof(feature)))
    return ReasonFor(GetLastError());
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr))
    return ReasonFor(GetLastError());
  return std::nullopt;
}

}  // namespace cuelark
