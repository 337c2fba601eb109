#include "platform/win/SingleInstanceGuard.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win/MessageBox.h"

namespace orv::win {

const char kAppControlMessageName[] = "MM_VURORIVIDE_MAIN_APP_CTRL_MSG_v1";

namespace {

bool MakeSocketAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

void SetTimeouts(int fd, int timeoutMs) {
  timeval tv{};
  tv.tv_sec = timeoutMs / 1000;
  tv.tv_usec = (timeoutMs % 1000) * 1000;
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// One request: "<message name> <wParam> <lParam>\n".
bool ParseRequest(const std::string& line, WPARAM& wParam, LPARAM& lParam) {
  const std::string prefix = std::string(kAppControlMessageName) + " ";
  if (line.compare(0, prefix.size(), prefix) != 0) return false;
  unsigned long long w = 0;
  long long l = 0;
  if (std::sscanf(line.c_str() + prefix.size(), "%llu %lld", &w, &l) != 2) return false;
  wParam = static_cast<WPARAM>(w);
  lParam = static_cast<LPARAM>(l);
  return true;
}

}  // namespace

SingleInstanceGuard::~SingleInstanceGuard() { Release(); }

std::string SingleInstanceGuard::MutexName(const std::string& instanceName,
                                           const std::string& versionText, bool elevated) {
  return instanceName + "_" + versionText + "_" + (elevated ? "1" : "0");
}

std::string SingleInstanceGuard::LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/') return std::string(runtime) + "/";
  const std::string folder = "/tmp/orvella-" + std::to_string(getuid()) + "/";
  mkdir(folder.c_str(), 0700);
  return folder;
}

bool SingleInstanceGuard::Acquire(const std::string& folder, const std::string& name) {
  Release();
  const std::string lockPath = folder + name;
  lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) return false;
  if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    alreadyRunning_ = errno == EWOULDBLOCK;
    close(lockFd_);
    lockFd_ = -1;
    return false;
  }
  alreadyRunning_ = false;

  // Only the lock holder gets here, so a socket file left by a crashed run can go.
  socketPath_ = lockPath + ".sock";
  sockaddr_un addr{};
  if (MakeSocketAddress(socketPath_, addr)) {
    unlink(socketPath_.c_str());
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ >= 0 && bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        listen(listenFd_, 8) == 0 && pipe2(stopPipe_, O_CLOEXEC) == 0) {
      listener_ = std::thread(&SingleInstanceGuard::Listen, this);
    } else if (listenFd_ >= 0) {
      close(listenFd_);
      listenFd_ = -1;
    }
  }
  return true;
}

void SingleInstanceGuard::SetWakeHandler(std::function<void(WPARAM, LPARAM)> handler) {
  std::lock_guard<std::mutex> lock(handlerLock_);
  handler_ = std::move(handler);
}

void SingleInstanceGuard::Listen() {
  for (;;) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if ((fds[0].revents & POLLIN) == 0) continue;
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    SetTimeouts(fd, kWakeTimeoutMs);
    std::string line;
    char c = 0;
    while (line.size() < 256 && read(fd, &c, 1) == 1 && c != '\n') line.push_back(c);
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    if (ParseRequest(line, wParam, lParam)) {
      {
        std::lock_guard<std::mutex> lock(handlerLock_);
        if (handler_) handler_(wParam, lParam);
      }
      const char ack = '1';
      (void)!write(fd, &ack, 1);
    }
    close(fd);
  }
}

bool SingleInstanceGuard::WakeRunningInstance(const std::string& folder, const std::string& name,
                                              WPARAM wParam, LPARAM lParam, int timeoutMs) {
  sockaddr_un addr{};
  if (!MakeSocketAddress(folder + name + ".sock", addr)) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  SetTimeouts(fd, timeoutMs);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  if (ok) {
    char request[160];
    const int n =
        std::snprintf(request, sizeof request, "%s %llu %lld\n", kAppControlMessageName,
                      static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    ok = write(fd, request, static_cast<size_t>(n)) == n;
    // The answer only tells that the message was taken; a slow instance costs at most the
    // time-out.
    char ack = 0;
    if (ok) (void)!read(fd, &ack, 1);
  }
  close(fd);
  return ok;
}

void SingleInstanceGuard::Release() {
  if (listener_.joinable()) {
    const char stop = 's';
    (void)!write(stopPipe_[1], &stop, 1);
    listener_.join();
  }
  for (int& fd : stopPipe_) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  if (listenFd_ >= 0) {
    close(listenFd_);
    listenFd_ = -1;
    unlink(socketPath_.c_str());
  }
  if (lockFd_ >= 0) {
    close(lockFd_);
    lockFd_ = -1;
  }
}

bool EnforceSingleInstance(SingleInstanceGuard& guard, const std::string& folder,
                           const std::string& name) {
  if (guard.Acquire(folder, name)) return true;
  if (SingleInstanceGuard::WakeRunningInstance(folder, name, kShowMainWindowCommand, 0)) {
    orv::win::MessageBox(
        "이미 실행중인 화면을 표시합니다.(중복 실행되지 않습니다.)\n이전에 실행한 어플 화면이 "
        "정상적으로 표시되었나요?\n\n혹시 어플 화면이 표시되지 않는다면, \n우측 하단(Tray)의 "
        "어플 실행 아이콘을 더블클릭 하세요.\n\n혹은 작업관리자에서 프로세스를 종료하시기 "
        "부탁드립니다.",
        "이미 실행중입니다", MB_OK | MB_ICONWARNING);
  } else {
    orv::win::MessageBox(
        "This application is already Running\nPlease check process.(watch out tray icon)", "ERROR",
        MB_OK | MB_ICONERROR);
  }
  return false;
}

}  // namespace orv::win
