#pragma once
// A FIFO for tests of what must never block on one.
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A FIFO at `path` whose writer, on a thread of its own, waits for a reader
// and hands it `bytes` and an end. A reader that opens it gets these; one
// that never does leaves the writer waiting until the FIFO goes, never the
// test waiting for the reader.
class TFeedingFifo {
public:
    TFeedingFifo(const QString& path, std::string bytes) {
        const QByteArray name = QFile::encodeName(path);
        FMade = ::mkfifo(name.constData(), 0600) == 0;
        if (!FMade) return;
        FWriter = std::thread([this, name, bytes = std::move(bytes)] {
            while (!FStop) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.data(), bytes.size());
                    ::close(fd);
                    FFed = true;
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    ~TFeedingFifo() {
        FStop = true;
        if (FWriter.joinable()) FWriter.join();
    }
    TFeedingFifo(const TFeedingFifo&) = delete;
    TFeedingFifo& operator=(const TFeedingFifo&) = delete;
    bool Made() const { return FMade; }
    // Whether a reader opened it.
    bool Fed() const { return FFed; }

private:
    bool FMade = false;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FFed{false};
    std::thread FWriter;
};
