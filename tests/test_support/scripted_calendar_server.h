#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "test_support/temp_dir.h"

namespace tessaly::test {

// scripted_calendar_server.py on two free loopback ports: a server that
// redirects elsewhere, names foreign addresses, sends bombs and broken items
// on purpose (the script lists its paths), and logs whether each request
// carried credentials. POSIX only; needs python3.
class Scripted_Calendar_Server {
public:
    Scripted_Calendar_Server();
    ~Scripted_Calendar_Server();
    Scripted_Calendar_Server(const Scripted_Calendar_Server&) = delete;
    Scripted_Calendar_Server& operator=(const Scripted_Calendar_Server&) = delete;

    // Starts it, serving https with that certificate where given; false
    // (with the reason in Failure()) where it does not start.
    bool Start(const std::string& certificate_file = {}, const std::string& key_file = {});

    // The main origin's URL of the path ("/dav/"), and the other origin's.
    std::string Url(const std::string& path = "/") const;
    std::string Other_Url(const std::string& path = "/") const;
    int Port() const { return port_; }
    int Other_Port() const { return other_port_; }
    // The requests so far, one a line: "main PROPFIND /dav/ auth", "other
    // GET /x none", "main dropped" for a connection ended in the handshake.
    std::vector<std::string> Requests() const;
    const std::string& Failure() const { return failure_; }

private:
    void Kill();

    Temp_Dir folder_;
    bool secure_ = false;
    int port_ = 0;
    int other_port_ = 0;
    pid_t pid_ = -1;
    std::string failure_;
};

// A self-signed certificate and its key, made with the openssl tool for the
// name given (which need not be the server's), and its SHA-256 fingerprint
// as the tool prints it. Empty where the tool is missing or fails.
struct Test_Certificate {
    std::string Certificate_File;
    std::string Key_File;
    std::string Fingerprint;
};
Test_Certificate Make_Test_Certificate(const Temp_Dir& folder, const std::string& name,
                                       const std::string& subject_name);

}  // namespace tessaly::test
