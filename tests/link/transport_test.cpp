// Serial-port and socket helpers: device naming, port settings on a pseudo-terminal,
// address and service parsing.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/tcp_fun.h"

TEST(ComPortDevice, NumberToDeviceAndOverride) {
    unsetenv("QVR_COM1");
    unsetenv("QVR_COM40");
    EXPECT_EQ(ComPortDevice(1), "/dev/ttyS0");
    EXPECT_EQ(ComPortDevice(32), "/dev/ttyS31");
    EXPECT_EQ(ComPortDevice(33), "/dev/ttyUSB0");
    EXPECT_EQ(ComPortDevice(64), "/dev/ttyUSB31");
    EXPECT_EQ(ComPortDevice(65), "/dev/ttyACM0");
    EXPECT_EQ(ComPortDevice(96), "/dev/ttyACM31");
    EXPECT_EQ(ComPortDevice(0), "");
    EXPECT_EQ(ComPortDevice(97), "");
    setenv("QVR_COM40", "/dev/pts/99", 1);
    EXPECT_EQ(ComPortDevice(40), "/dev/pts/99");
    EXPECT_EQ(ComPortDevice(41), "/dev/ttyUSB8");
    unsetenv("QVR_COM40");
}

TEST(ComPort, ClampBaud) {
    EXPECT_EQ(ClampBaud(50), 110u);
    EXPECT_EQ(ClampBaud(110), 110u);
    EXPECT_EQ(ClampBaud(1200), 1200u);
    EXPECT_EQ(ClampBaud(256000), 256000u);
    EXPECT_EQ(ClampBaud(300000), 256000u);
}

// Opened on a pseudo-terminal: raw, CLOCAL, reads return at once, the given framing.
TEST(ComPort, OpenSettingsOnPty) {
    ctlsim::CtlSim sim;
    std::string path = sim.StartPty();
    ASSERT_FALSE(path.empty());
    setenv("QVR_COM90", path.c_str(), 1);

    int fd = OpenComPort(90, 50, 9, 1, 2, 1000, 1000, 1, 0);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B110));          // 50 bit/s is opened as 110
    EXPECT_TRUE(fcntl(fd, F_GETFL) & O_NONBLOCK);
    uint8_t b;
    EXPECT_LE(read(fd, &b, 1), 0);                       // nothing there: returns at once

    // A rate that termios has no constant for is set exactly.
    ASSERT_TRUE(SetPortBaud(fd, 7200));
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(cfgetospeed(&t) & ~speed_t(CBAUDEX), speed_t(0));  // the "other rate" code
    ASSERT_TRUE(SetPortBaud(fd, 9600));
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));

    // Read time-outs: a waiting read, then back to reads that return at once.
    ASSERT_TRUE(SetPortTimeouts(fd, 0, 0, 1000));
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(t.c_cc[VTIME], 10);
    EXPECT_FALSE(fcntl(fd, F_GETFL) & O_NONBLOCK);
    ASSERT_TRUE(SetPortTimeouts(fd, kMaxDword, 0, 0));
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_TRUE(fcntl(fd, F_GETFL) & O_NONBLOCK);

    // The pseudo-terminal refuses the modem lines; the port is usable all the same.
    SetRts(fd, true);
    SetRts(fd, false);
    EXPECT_TRUE(ClearPortErrors(fd));
    EXPECT_TRUE(PurgePort(fd));
    CloseComPort(fd);

    unsetenv("QVR_COM90");
}

// Framing (a pseudo-terminal keeps none of it, so it is checked on the settings themselves).
TEST(ComPort, LineSettings) {
    termios t{};
    t.c_cflag = CRTSCTS | CS7 | PARENB | CSTOPB;
    t.c_iflag = IXON | IXOFF;
    t.c_lflag = ICANON | ECHO;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 5;
    ApplyLineSettings(t, 8, 0, 0);
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    ApplyLineSettings(t, 9, 1, 2);  // 9 data bits become 8; even parity; two stop bits
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD), tcflag_t(PARENB));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    ApplyLineSettings(t, 3, 2, 1);  // 3 become 4, the smallest size termios has is 5; odd; 1.5 as two
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS5));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD), tcflag_t(PARENB | PARODD));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    ApplyLineSettings(t, 7, 5, 7);  // unknown codes: no parity, one stop bit
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB));
}

TEST(ComPort, OpenFailuresLeaveNothingOpen) {
    setenv("QVR_COM91", "/nonexistent/port", 1);
    EXPECT_EQ(OpenComPort(91, 1200, 8, 0, 0, 1000, 1000, 1, 0), -1);
    setenv("QVR_COM91", "/dev/null", 1);  // not a terminal
    EXPECT_EQ(OpenComPort(91, 1200, 8, 0, 0, 1000, 1000, 1, 0), -1);
    unsetenv("QVR_COM91");
    EXPECT_EQ(OpenComPort(0, 1200, 8, 0, 0, 1000, 1000, 1, 0), -1);
    EXPECT_FALSE(SetPortBaud(-1, 1200));
    EXPECT_FALSE(ClearPortErrors(-1));
    EXPECT_FALSE(SetPortTimeouts(-1, kMaxDword, 0, 0));
}

TEST(ComPort, ContainsSubstr) {
    EXPECT_TRUE(ContainsSubstr("\r\nOK\r", "OK"));
    EXPECT_FALSE(ContainsSubstr("", "OK"));
    EXPECT_FALSE(ContainsSubstr("O", "OK"));
    EXPECT_FALSE(ContainsSubstr("\r\nERROR\r", "OK"));
    EXPECT_TRUE(ContainsSubstr("CONNECT 9600", "CONNECT"));
    EXPECT_FALSE(ContainsSubstr(nullptr, "OK"));
}

TEST(Tcp, ParseDottedAddress) {
    uint32_t a = 0x12345678;
    ASSERT_TRUE(ParseDottedAddress("192.168.1.20", &a));
    EXPECT_EQ(ntohl(a), 0xC0A80114u);
    ASSERT_TRUE(ParseDottedAddress("255.255.255.255", &a));
    EXPECT_EQ(a, 0xFFFFFFFFu);
    a = 0x12345678;
    EXPECT_FALSE(ParseDottedAddress("300.1.1.1", &a));
    EXPECT_FALSE(ParseDottedAddress("plc.example", &a));
    EXPECT_FALSE(ParseDottedAddress("", &a));
    EXPECT_EQ(a, 0x12345678u);
}

TEST(Tcp, SetSockAddress) {
    std::vector<std::string> shown;
    SetTransportMessageBox([&](const std::string& t) { shown.push_back(t); });
    EXPECT_TRUE(StartWinsock());
    sockaddr_in sa;
    ASSERT_TRUE(SetSockAddress("10.1.2.3", "502", &sa, "TCP"));
    EXPECT_EQ(sa.sin_family, AF_INET);
    EXPECT_EQ(ntohl(sa.sin_addr.s_addr), 0x0A010203u);
    EXPECT_EQ(sa.sin_port, htons(502));
    ASSERT_TRUE(SetSockAddress("10.1.2.3", "0x1F6", &sa, "TCP"));
    EXPECT_EQ(sa.sin_port, htons(502));
    ASSERT_TRUE(SetSockAddress("10.1.2.3", "0766", &sa, "TCP"));  // octal
    EXPECT_EQ(sa.sin_port, htons(502));
    ASSERT_TRUE(SetSockAddress(nullptr, "7", &sa, "TCP"));
    EXPECT_EQ(sa.sin_addr.s_addr, htonl(INADDR_ANY));
    ASSERT_TRUE(SetSockAddress("localhost", "echo", &sa, "TCP"));  // service name, for "tcp"
    EXPECT_EQ(sa.sin_port, htons(7));
    EXPECT_EQ(ntohl(sa.sin_addr.s_addr) >> 24, 127u);
    EXPECT_TRUE(shown.empty());

    EXPECT_FALSE(SetSockAddress("10.1.2.3", "no-such-service-qvr", &sa, "TCP"));
    EXPECT_FALSE(SetSockAddress("10.1.2.3", "502x", &sa, "TCP"));
    EXPECT_FALSE(SetSockAddress("no-such-host.invalid", "502", &sa, "TCP"));
    EXPECT_EQ(shown, (std::vector<std::string>{"неизвестный сервис: no-such-service-qvr",
                                               "неизвестный сервис: 502x",
                                               "неизвестный хост: no-such-host.invalid"}));
    SetTransportMessageBox(nullptr);
}
