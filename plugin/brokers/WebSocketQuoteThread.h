#pragma once
// The real-time quote clients: one secure WebSocket connection to a broker's quote server on a
// thread of its own, writing the prices it receives into the stock records of the owner's quote
// list. CWebSocketQuoteThread is their common base; CWsQuoteThread_DBSEC, CWsQuoteThread_KIWOOM
// and CWsQuoteThread_HANA are the clients.
//
// Calling order the owner keeps: create, SetParams, SetRecordGuard, SetCaCertPemFilePath,
// Start, SetTarget (again whenever it wants more stocks subscribed); to end: Disconnect, Stop,
// delete. One Run per object: a client whose connection ended stays ended.
//
// Threads: the owner's thread calls the operations; the quote thread runs Run, the connection's
// handlers and the frame readers. The target map and its records belong to the owner, who
// guards them with the lock given to SetRecordGuard: the client reads the map and writes the
// records only under it, and never holds it across a send or a wait. Every frame goes out on
// the quote thread (a send from another thread is handed to it and waited for, bounded).
// The owner frees the records only after Stop.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shared/StockRecords.h"

namespace orv::win {
class CCriticalSection;
}

// One WebSocket connection run on the calling thread (websocketpp over asio with TLS); kept out
// of this header so that only its own source sees the libraries.
class CQuoteSocket;

class CWebSocketQuoteThread {
 public:
  // Capacities of the parameter texts, terminator included.
  static constexpr size_t kUrlSize = 512;
  static constexpr size_t kTokenSize = 512;
  static constexpr size_t kKeySize = 200;
  static constexpr size_t kDivisionSize = 16;
  // How long a send from the owner's thread waits for the quote thread to send it.
  static constexpr int kSendWaitMs = 5000;
  // How long Stop lets a closing connection end by itself before it ends the I/O loop (the
  // close frame has gone out by then; the TLS farewell is not waited for).
  static constexpr int kStopGraceMs = 1000;

  CWebSocketQuoteThread();
  virtual ~CWebSocketQuoteThread();
  CWebSocketQuoteThread(const CWebSocketQuoteThread&) = delete;
  CWebSocketQuoteThread& operator=(const CWebSocketQuoteThread&) = delete;

  // Copies the texts into the fixed fields (app key, app secret and division are kept when
  // null). A text that does not fit its field is not copied: the field is emptied and the
  // client refuses to Start. Call before Start.
  void SetParams(const char* url, const char* appKey, const char* appSecret, const char* token,
                 const char* division);
  // The lock the owner guards the target map and its records with, and what runs (on the
  // quote thread, without the lock) after prices were written into records. Call before Start.
  void SetRecordGuard(orv::win::CCriticalSection* lock, std::function<void()> pricesWritten);
  // The CA-certificate file the server's certificate is verified with (empty: the system
  // store). Call before Start.
  void SetCaCertPemFilePath(const std::string& path) { m_caFile = path; }

  // --- virtual operations, in slot order ---
  // Starts the quote thread (running Run) unless running; false when running already, or when
  // SetParams refused a text.
  virtual bool Start();
  // Clears the running flag and joins the quote thread. A connection still open after
  // kStopGraceMs is ended with the I/O loop, so the join always ends. Never on the quote thread.
  virtual void Stop();
  // Closes the open connection (code 1000, "User disconnect"). Base: nothing.
  virtual void Disconnect() {}
  // Subscribes stocks of the target map; answers how many. Base: 0.
  virtual int SubscribeAll() { return 0; }
  // Hands one single-code subscription to the quote thread. Base: false.
  virtual bool PostSubscribe(const wchar_t* code, bool add) { return false; }
  // Stores the map whose records the client updates; subscribes when logged in already.
  virtual void SetTarget(StockViewMap* targets);
  // One subscription frame: 0 sent, -1 not connected, else the send's error code. Base: -1.
  virtual int Subscribe(const char* code, const char* type, int group, bool add, int refresh) {
    return -1;
  }
  // The quote thread's body.
  virtual void Run() = 0;

  bool IsRunning() const { return m_running.load() != 0; }
  bool IsLoggedIn() const { return m_loggedIn.load() != 0; }
  // True once the quote thread has left Run.
  bool HasFinished() const;
  const char* Url() const { return m_url; }
  const char* Token() const { return m_token; }
  const char* AppKey() const { return m_appKey; }
  const char* AppSecret() const { return m_appSecret; }
  const char* Division() const { return m_division; }
  // The last trace line (connection errors, failed sends); nothing shows it to the user.
  std::string LastTrace() const;

 protected:
  // Composes a trace line; it reaches no log and no user, only LastTrace.
  void Trace(const std::string& text);
  // Runs `visit` on the target map under the owner's lock (not at all without a map).
  void WithTargets(const std::function<void(StockViewMap&)>& visit);
  // Tells the owner that prices were written (outside the lock).
  void NotePricesWritten();
  // Runs the base connection (the one Hana's client uses) with extra request headers until it
  // ends, each text frame going to `onMessage`. False, with the library's words in *error, when
  // no connection could be made for the URL.
  bool RunBaseConnection(const std::vector<std::pair<std::string, std::string>>& headers,
                         std::function<void(const std::string&)> onMessage, std::string* error);

  std::atomic<StockViewMap*> m_targets{nullptr};
  std::thread m_thread;
  std::atomic<int> m_running{0};
  std::atomic<int> m_loggedIn{0};
  std::atomic<int> m_subscribing{0};
  char m_url[kUrlSize]{};
  char m_token[kTokenSize]{};
  char m_appKey[kKeySize]{};
  char m_appSecret[kKeySize]{};
  char m_division[kDivisionSize]{};
  std::string m_caFile;

 private:
  // Asks the quote thread's connection, if any, to end its loop (Stop's last resort).
  virtual void EndLoop();

  std::unique_ptr<CQuoteSocket> m_baseSocket;
  bool m_paramsRefused = false;
  bool m_started = false;
  orv::win::CCriticalSection* m_recordLock = nullptr;
  std::function<void()> m_pricesWritten;
  mutable std::mutex m_finishLock;
  std::condition_variable m_finished;
  bool m_threadDone = true;
  mutable std::mutex m_traceLock;
  std::string m_trace;
};

// What the DB and Kiwoom clients share: their own connection, the open handler that stores it
// and signals the opened flag, the close and fail handlers, Disconnect and PostSubscribe.
class CWsConnectedQuoteThread : public CWebSocketQuoteThread {
 public:
  // How long PostSubscribe waits for the connection to open.
  static constexpr int kOpenWaitMs = 10000;

  CWsConnectedQuoteThread();
  ~CWsConnectedQuoteThread() override;

  void Disconnect() override;
  // Waits (at most kOpenWaitMs, never past the connection's end) for the connection to open,
  // then hands one single-code
  // subscription frame to the quote thread; false when it did not open or is gone.
  bool PostSubscribe(const wchar_t* code, bool add) override;
  // Waits up to `ms` for the connection to open (less when it ended without opening); answers
  // the opened flag.
  bool WaitForOpen(int ms);
  // True while the connection is open.
  bool IsConnectionOpen() const;

 protected:
  // Connects, runs the I/O loop until the connection ends and clears the flags (both clients'
  // Run). `prefix` starts the trace lines ("[DBSEC]").
  void RunConnection(const char* prefix);
  // Sends a text frame on the quote thread: 0 sent, -1 not open, else the error code.
  int SendText(const std::string& text);
  // Runs `work` on the quote thread after `ms` milliseconds; false when no loop runs.
  bool After(int ms, std::function<void()> work);
  // Runs `work` on the quote thread; false when no loop runs.
  bool Post(std::function<void()> work);
  bool OnQuoteThread() const;
  // The single-code frame PostSubscribe sends.
  virtual std::string SingleSubscriptionFrame(const std::string& code, bool add) const = 0;
  // What the client does once the connection opened (after the opened flag is set).
  virtual void OnOpened() = 0;
  // A text frame from the server.
  virtual void OnFrame(const std::string& payload) = 0;
  // Trace prefix ("[DBSEC]", "[KIWOOM]").
  virtual const char* Prefix() const = 0;
  bool Opened() const;

 private:
  void EndLoop() override;
  // The connection is over: waiters for the opening stop waiting.
  void NoteEnded();

  std::unique_ptr<CQuoteSocket> m_socket;
  mutable std::mutex m_lock;  // the opened and ended flags (the socket guards its connection)
  std::condition_variable m_openedSignal;
  bool m_opened = false;
  bool m_ended = false;
};
