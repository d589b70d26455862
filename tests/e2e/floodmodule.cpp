// A fake module for the search tests: waits for a search on 127.0.0.1:PORT, then answers the
// latest asker without pause, each answer a whole one from another MAC, many per system call,
// so that it sends faster than a searcher can read. Linux only, like the end-to-end tests.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_port = htons(std::atoi(argv[1]));
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s < 0 || bind(s, reinterpret_cast<sockaddr *>(&self), sizeof self) != 0)
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    sockaddr_in asker{};
    socklen_t length = sizeof asker;
    char request[2048];
    if (recvfrom(s, request, sizeof request, 0, reinterpret_cast<sockaddr *>(&asker), &length) < 0)
        return 1;
    constexpr int Batch = 64;
    std::vector<std::string> answers(Batch);
    mmsghdr messages[Batch]{};
    iovec parts[Batch]{};
    for (unsigned n = 1;; n += Batch) {
        sockaddr_in latest{};
        length = sizeof latest;
        if (recvfrom(s, request, sizeof request, MSG_DONTWAIT,
                     reinterpret_cast<sockaddr *>(&latest), &length)
            > 0)
            asker = latest; // a new search asks from another port
        for (int i = 0; i < Batch; ++i) {
            const unsigned id = n + i;
            const char mac[6]
                    = {0x02, char(0xfe), char(id >> 24), char(id >> 16), char(id >> 8), char(id)};
            answers[i] = "MA" + std::string(mac, 6)
                    + "\r\nPW \r\nMNflood\r\nSTOPEN\r\nOP1\r\nLI127.0.0.1\r\nLP5000\r\n";
            parts[i] = {answers[i].data(), answers[i].size()};
            messages[i].msg_hdr = {&asker, sizeof asker, &parts[i], 1, nullptr, 0, 0};
        }
        sendmmsg(s, messages, Batch, 0);
    }
}
