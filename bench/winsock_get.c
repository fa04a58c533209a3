/* A download peer for the benchmarks: the least a Win32 program does to fetch
 * a file over HTTP (one socket, a GET, recv into a 16 KiB buffer as libcurl
 * does by default, fwrite to disk). Run under Wine beside the program's own
 * download code, it shows how much of that code's time is Wine's socket path.
 * Usage: winsock_get.exe <port> <path> <output file>   (host 127.0.0.1)
 * Prints "BYTES <body bytes>"; exits non-zero on failure. */
#include <winsock2.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    WSADATA wsa;
    SOCKET s;
    struct sockaddr_in address;
    char request[1024];
    static char buffer[16384];
    FILE* out;
    long long body = 0;
    int headerDone = 0, received, sent;
    char header[8192];
    size_t headerLength = 0;
    if (argc < 4) {
        fprintf(stderr, "usage: winsock_get <port> <path> <output file>\n");
        return 2;
    }
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 3;
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return 3;
    memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = htons((unsigned short)atoi(argv[1]));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, (struct sockaddr*)&address, sizeof(address)) != 0) return 4;
    snprintf(request, sizeof(request), "GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n", argv[2]);
    sent = send(s, request, (int)strlen(request), 0);
    if (sent != (int)strlen(request)) return 4;
    out = fopen(argv[3], "wb");
    if (out == NULL) return 5;
    /* HTTP/1.0: the body runs to the end of the connection. */
    while ((received = recv(s, buffer, sizeof(buffer), 0)) > 0) {
        const char* data = buffer;
        size_t length = (size_t)received;
        if (!headerDone) {
            size_t take = length < sizeof(header) - 1 - headerLength ? length : sizeof(header) - 1 - headerLength;
            char* end;
            memcpy(header + headerLength, buffer, take);
            headerLength += take;
            header[headerLength] = '\0';
            end = strstr(header, "\r\n\r\n");
            if (end == NULL) {
                if (headerLength == sizeof(header) - 1) return 6;
                continue;
            }
            headerDone = 1;
            /* What of this block lies after the headers is body. */
            {
                size_t before = headerLength - take;
                size_t headerEnd = (size_t)(end - header) + 4;
                data = buffer + (headerEnd - before);
                length -= headerEnd - before;
            }
        }
        if (length > 0 && fwrite(data, 1, length, out) != length) return 5;
        body += (long long)length;
    }
    fclose(out);
    closesocket(s);
    WSACleanup();
    if (received < 0 || !headerDone) return 4;
    printf("BYTES %lld\n", body);
    return 0;
}
