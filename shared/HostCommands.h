#pragma once
// Command codes between the host and its modules.

// Kinds of a module message (ZIRO_SendMessage / OnReceivedMsgFromManager).
constexpr int MODULE_MSG_KIND_WINDOW = 1;  // forwarded to the view as a window message
constexpr int MODULE_MSG_KIND_HOST = 2;    // a host command below

// Host -> all modules (SendCmdMessageToAllModule).
constexpr unsigned HOST_CMD_UPLOAD = 3;
constexpr unsigned HOST_CMD_SAVE = 7;
constexpr unsigned HOST_CMD_RELOAD = 13;
constexpr unsigned HOST_CMD_RELOAD2 = 14;
constexpr unsigned HOST_CMD_STOP = 21;
constexpr unsigned HOST_CMD_LOGIN_STATE = 81;
constexpr unsigned HOST_CMD_RELOGIN = 84;
constexpr unsigned HOST_CMD_LOGGED_OUT = 86;
constexpr unsigned HOST_CMD_AUTO_TRADE_ON = 113;
constexpr unsigned HOST_CMD_AUTO_TRADE_OFF = 114;
constexpr unsigned HOST_CMD_PROFIT_RATES = 115;

// Login-state values sent with HOST_CMD_LOGIN_STATE / HOST_CMD_LOGGED_OUT.
constexpr unsigned LOGIN_STATE_LOGGED_IN = 0x200000;
constexpr unsigned LOGIN_STATE_WAITING = 0x10000;
constexpr unsigned LOGIN_EVENT_LOGGED_OUT = 0x20000;
constexpr unsigned LOGIN_EVENT_RELOGIN = 0x40000;

// Module -> host: main-frame functions (command callback, kind 2).
constexpr int MAINFRAME_FN_COUNTER_TEXT = 77;
constexpr int MAINFRAME_FN_WAIT_DIALOG = 78;
constexpr int MAINFRAME_FN_LOGIN = 79;
constexpr int MAINFRAME_FN_HIDE_LOGIN = 80;
constexpr int MAINFRAME_FN_LOGIN_STATE = 81;
constexpr int MAINFRAME_FN_SETUP_LOGIN = 82;
constexpr int MAINFRAME_FN_LOGOUT = 83;
constexpr int MAINFRAME_FN_RELOGIN = 84;
constexpr int MAINFRAME_FN_LOGIN2 = 85;
constexpr int MAINFRAME_FN_LOGGED_OUT = 86;
constexpr int MAINFRAME_FN_UI_TEXT = 87;
constexpr int MAINFRAME_FN_CHILD_TITLES_PACKET = 89;
constexpr int MAINFRAME_FN_CHILD_TITLE = 90;
constexpr int MAINFRAME_FN_MANAGER_17 = 91;
constexpr int MAINFRAME_FN_MANAGER_27 = 93;
constexpr int MAINFRAME_FN_PASSWORD = 95;
constexpr int MAINFRAME_FN_WAIT_DIALOG_LOGIN = 101;
constexpr int MAINFRAME_FN_MANAGER_28 = 102;
constexpr int MAINFRAME_FN_WAIT_WEB_PAGE = 103;
constexpr int MAINFRAME_FN_WAIT_WND = 104;
constexpr int MAINFRAME_FN_WAIT_WND_NOWAIT = 105;
constexpr int MAINFRAME_FN_WAIT_CONFIRM = 106;
constexpr int MAINFRAME_FN_WAIT_CONFIRM_MODE0 = 108;
constexpr int MAINFRAME_FN_HIDE_WAIT_CONFIRM = 109;
constexpr int MAINFRAME_FN_USER_SELECT = 110;
constexpr int MAINFRAME_FN_FIRST = 77;
constexpr int MAINFRAME_FN_LAST = 110;

// Module -> host: kinds of SendNotifyMsgToMainFrame (notify class 3, code = kind).
constexpr int NOTIFY_KIND_STATUS = 3;   // status panes; the code picks the pane
constexpr int NOTIFY_KIND_MANAGER = 8;  // notification with title and text
constexpr int NOTIFY_KIND_RIBBON = 10;
constexpr int NOTIFY_KIND_LOG = 12;   // a log line at level = code
constexpr int NOTIFY_KIND_PAGE = 16;  // a web page in the host's page window
constexpr int NOTIFY_KIND_ORDER_PAGE = 17;
constexpr int NOTIFY_KIND_EVENT_PAGE = 18;
constexpr int NOTIFY_KIND_PASSWORD = 19;
constexpr int NOTIFY_KIND_SETTINGS = 20;

// Status panes (NOTIFY_KIND_STATUS codes).
constexpr int STATUS_PANE_TITLE_USER = 3;
constexpr int STATUS_PANE_VALUE1 = 6;
constexpr int STATUS_PANE_LOGIN = 7;
constexpr int STATUS_PANE_PROGRESS = 8;
constexpr int STATUS_PANE_COMM = 9;
constexpr int STATUS_PANE_SCR = 10;
constexpr int STATUS_PANE_VALID = 11;
constexpr int STATUS_PANE_RUN_TIME = 12;
constexpr int STATUS_PANE_MARKET = 13;
constexpr int STATUS_PANE_SAVER = 14;

// Side panes (notify class 1): sub-codes and mask bits.
constexpr int PANES_SHOW = 33;
constexpr int PANES_HIDE = 34;
constexpr int PANE_BIT_WORKSPACE = 1;
constexpr int PANE_BIT_LOG = 2;
constexpr int PANE_BIT_PROPERTIES = 4;
constexpr int PANE_BIT_MONITORING = 8;

// The buffer a view hands with main-frame function 87 holds this many wide characters; the
// host copies at most one less and ends the text.
constexpr int HOST_UI_TEXT_BUF_LEN = 512;
