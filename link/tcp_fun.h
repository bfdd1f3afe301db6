// Socket helpers for the TCP link: an IPv4 socket address from a host and a service text.
// A socket is a file descriptor; -1 means "no socket".
#pragma once
#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <string>

constexpr int kNoSocket = -1;

// The socket library needs no start on this platform: always true.
bool StartWinsock();

// Fills an IPv4 address (16 bytes): host null -> any address; a dotted address or a host
// name (first address of the host). Service: a number in C notation (decimal, 0x hex,
// leading-0 octal) or a service name looked up for "tcp" (the protocol text is matched
// without regard to case). Unknown host or service: a message box and false.
bool SetSockAddress(const char* host, const char* service, sockaddr_in* addr, const char* protocol);

// Dotted IPv4 text to an address in network byte order. "255.255.255.255" is accepted;
// anything else that is no address gives false and leaves out unchanged.
bool ParseDottedAddress(const char* text, uint32_t* out);

// The message box of SetSockAddress: no owner window, empty caption. The window sets it;
// without one the text goes to standard error.
void SetTransportMessageBox(std::function<void(const std::string& text)> box);
// Shows a text in that message box (the TCP connect of the connection form uses it too).
void ShowTransportMessage(const std::string& text);
