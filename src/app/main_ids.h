#pragma once
// Control identifiers of the main window (template 102) and its strings.
namespace veltrano::app {

constexpr int kMainTemplate = 102;
constexpr int kPortList = 1000;
constexpr int kTestBaudRate = 1001;
constexpr int kAddressEdit = 1002;
constexpr int kBaudEdit = 1003;
constexpr int kInquireAddress = 1004;
constexpr int kSetAddress = 1005;
constexpr int kInquireBaud = 1006;
constexpr int kSetBaud = 1007;
constexpr int kCategoryTabs = 1008;  // CategoryTabs
// Group boxes and labels of the template carry no identifier of their own.
constexpr int kSerialGroup = 32001;
constexpr int kDeviceGroup = 32002;
constexpr int kBaudGroup = 32003;

constexpr int kInquiryTimer = 1;  // 300 ms: clears the inquiry guard
constexpr int kInquiryTimerMs = 300;
constexpr int kPollTimer = 5;  // 1000 ms: the real-time poller
constexpr int kPollTimerMs = 1000;

constexpr int kAboutCommand = 16;

constexpr const char* kAppTitle = "Veltrano V3.16";
// Caption of the plain message boxes.
constexpr const char* kAppName = "Veltrano";
constexpr const char* kAboutMenuText = "About Veltrano(&A)...";             // string 101
constexpr const char* kSocketsFailedText = "Windows 通信端口初始化失败。";  // string 103
constexpr int kAppIcon = 128;

}  // namespace veltrano::app
