// The serial link: a pseudo-terminal whose device a link at the given path points to.
#pragma once

#include <memory>
#include <string>

namespace vx::sim {

class Simulator;
class SessionBase;

class SerialLink {
public:
    explicit SerialLink(Simulator& simulator) : simulator_(simulator) {}
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Creates the pseudo-terminal, links `link_path` to its device and starts answering.
    // An existing link at the path is replaced; any other file there is left alone and
    // reported. Empty on success, else a one-line error.
    std::string open(const std::string& link_path);
    // Stops answering and removes the link.
    void close();
    const std::string& device() const { return device_; }
    // Bytes written to the link that its reader has not taken yet.
    int unread_bytes() const;

private:
    Simulator& simulator_;
    std::string link_path_;
    std::string device_;
    int slave_fd_ = -1;  // held open so that reads of the master never see a hang-up
    // Held here: between requests nothing else keeps the session, and its end
    // would close the terminal under a reply not yet read.
    std::shared_ptr<SessionBase> session_;
};

}  // namespace vx::sim
