// libpng's simplified API encodes the 8-bit sRGB file (it marks it sRGB);
// OpenEXR's general output file writes three FLOAT channels, so values above
// 1 and below 0 survive exactly. Both write through one file descriptor that
// keeps the system's reason for a failed write, so that a message can say
// "No space left on device" about the image rather than the temporary.
//
// Replacing a set of images goes through a journal in fixed storage: for
// each image its temporary, its final name and the backup of what that
// name held. Undoing an entry needs only rename and unlink, so the same
// code serves a failed step and a signal handler.
#include "image_files.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfOutputFile.h>
#include <ImfStringAttribute.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "file_sink.h"
#include "unique_file.h"

namespace preview {
namespace {

[[noreturn]] void failWriting(const std::string& name, const FileSink& sink, const std::string& otherwise)
{
    throw std::runtime_error("cannot write " + name + ": " +
                             (sink.error() != 0 ? std::strerror(sink.error()) : otherwise));
}

// A tEXt chunk with the record, placed right after the header chunk (which
// the simplified API writes first, at a fixed size).
void insertTextChunk(std::vector<std::uint8_t>& png, const std::string& keyword, const std::string& text)
{
    constexpr std::size_t kAfterHeader = 8 + 4 + 4 + 13 + 4;
    std::vector<std::uint8_t> chunk;
    const std::uint32_t length = static_cast<std::uint32_t>(keyword.size() + 1 + text.size());
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(std::uint8_t(length >> shift));
    for (const char c : std::string("tEXt") + keyword) chunk.push_back(std::uint8_t(c));
    chunk.push_back(0);
    chunk.insert(chunk.end(), text.begin(), text.end());
    const std::uint32_t crc =
        static_cast<std::uint32_t>(::crc32(::crc32(0L, Z_NULL, 0), chunk.data() + 4, uInt(chunk.size() - 4)));
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(std::uint8_t(crc >> shift));
    png.insert(png.begin() + std::ptrdiff_t(kAfterHeader), chunk.begin(), chunk.end());
}

void writePngTo(FileSink& sink, const Image& image, const std::string& name, const std::string& record)
{
    std::string encoded;
    try {
        encoded = pngFileBytes(image, record);
    } catch (const std::runtime_error& e) {
        failWriting(name, sink, e.what());
    }
    if (!sink.write(encoded.data(), encoded.size())) failWriting(name, sink, "");
}

// OpenEXR's output stream over the sink.
class SinkStream : public Imf::OStream {
public:
    SinkStream(FileSink& sink, const std::string& name) : Imf::OStream(name.c_str()), sink_(sink) {}

    void write(const char c[], int n) override
    {
        if (!sink_.write(c, std::size_t(n))) throw std::runtime_error(std::strerror(sink_.error()));
        position_ += std::uint64_t(n);
    }
    std::uint64_t tellp() override { return position_; }
    void seekp(std::uint64_t position) override
    {
        if (::lseek(sink_.fd(), off_t(position), SEEK_SET) < 0) throw std::runtime_error(std::strerror(errno));
        position_ = position;
    }

private:
    FileSink& sink_;
    std::uint64_t position_ = 0;
};

void writeExrTo(FileSink& sink, const Image& image, const std::string& name, const std::string& record)
{
    try {
        Imf::Header header(image.width, image.height);
        if (!record.empty()) header.insert(kRecordKey, Imf::StringAttribute(record));
        header.channels().insert("R", Imf::Channel(Imf::FLOAT));
        header.channels().insert("G", Imf::Channel(Imf::FLOAT));
        header.channels().insert("B", Imf::Channel(Imf::FLOAT));
        SinkStream stream(sink, name);
        Imf::OutputFile file(stream, header);
        // The pixels are packed x, y, z floats: one FrameBuffer slice per channel.
        char* base = const_cast<char*>(reinterpret_cast<const char*>(image.pixels.data()));
        const std::size_t xStride = sizeof(Vec3);
        const std::size_t yStride = xStride * static_cast<std::size_t>(image.width);
        Imf::FrameBuffer frame;
        frame.insert("R", Imf::Slice(Imf::FLOAT, base + offsetof(Vec3, x), xStride, yStride));
        frame.insert("G", Imf::Slice(Imf::FLOAT, base + offsetof(Vec3, y), xStride, yStride));
        frame.insert("B", Imf::Slice(Imf::FLOAT, base + offsetof(Vec3, z), xStride, yStride));
        file.setFrameBuffer(frame);
        file.writePixels(image.height);
    } catch (const std::exception& e) {
        const std::string reason = e.what();
        failWriting(name, sink, reason.substr(0, reason.find('\n')));
    }
}

// One image of the set: where it is written, where it goes, and what its
// final name held before (the backup, a hard link to the earlier file).
constexpr int kMaxFiles = 16;
constexpr std::size_t kMaxPath = 4096;
struct JournalEntry {
    char temporary[kMaxPath];
    char final[kMaxPath];
    char backup[kMaxPath];
    volatile std::sig_atomic_t hasBackup;
    volatile std::sig_atomic_t replacing;  // rename of the temporary tried
};
JournalEntry journal[kMaxFiles];
volatile std::sig_atomic_t journalSize = 0;

// Puts one entry's final name back as it was and removes its temporary;
// false when the earlier file could not be put back (its backup is then
// kept). Async-signal-safe: rename and unlink only.
bool undo(const JournalEntry& entry)
{
    bool restored = true;
    if (entry.replacing) {
        // Renaming a backup onto a name that is still the same file does
        // nothing, so the unlink below then drops the spare link.
        if (entry.hasBackup)
            restored = ::rename(entry.backup, entry.final) == 0 || errno == ENOENT;
        else
            ::unlink(entry.final);
    }
    if (entry.hasBackup && restored) ::unlink(entry.backup);
    ::unlink(entry.temporary);
    return restored;
}

extern "C" void undoAllAndStop(int signal)
{
    for (int i = journalSize - 1; i >= 0; --i) undo(journal[i]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Every catchable signal whose default is to end the program, apart from
// the faults of the program itself (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT,
// SIGTRAP, SIGSYS), which leave nothing safe to run. SIGXFSZ is not here: it
// is turned into a write error instead.
const std::vector<int>& cleanupSignals()
{
    static const std::vector<int> signals = [] {
        std::vector<int> list = {SIGHUP,  SIGINT,  SIGQUIT,   SIGPIPE, SIGALRM, SIGTERM, SIGUSR1,
                                 SIGUSR2, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSTKFLT};
        for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) list.push_back(signal);
        return list;
    }();
    return signals;
}

sigset_t cleanupSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : cleanupSignals()) sigaddset(&set, signal);
    return set;
}

// For the life of one writeImages call: a signal that would end the run
// undoes the journal first, and a file-size limit is an error of write()
// (EFBIG), not the end of the run. A signal the program already ignores or
// handles keeps its disposition (a run under nohup is not ended by SIGHUP).
class WriteGuard {
public:
    WriteGuard()
    {
        journalSize = 0;
        struct sigaction action {};
        action.sa_handler = undoAllAndStop;
        // One undo at a time, whichever signals arrive together.
        action.sa_mask = cleanupSignalSet();
        for (const int signal : cleanupSignals()) {
            struct sigaction previous {};
            if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL ||
                (previous.sa_flags & SA_SIGINFO) != 0)
                continue;
            sigaction(signal, &action, nullptr);
            replaced_.push_back({signal, previous});
        }
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &previousFileSize_);
    }
    ~WriteGuard()
    {
        for (const auto& [signal, previous] : replaced_) sigaction(signal, &previous, nullptr);
        sigaction(SIGXFSZ, &previousFileSize_, nullptr);
        journalSize = 0;
    }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;

private:
    std::vector<std::pair<int, struct sigaction>> replaced_;
    struct sigaction previousFileSize_;
};

// Holds the cleanup signals back for its life: a step that creates a file and
// then records it in the journal is never interrupted in between, where the
// undo could not yet know the file.
using CleanupSignalsHeld = SignalsThatEndTheRunHeld;

// An exclusive lock on the folder for the life of one writeImages call, so
// that two runs writing into one folder never leave a mix of both sets: the
// second is refused rather than kept waiting behind a run of unknown length.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
    {
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0)
            throw std::runtime_error("cannot write into " + folder + ": " + std::strerror(errno) +
                                     "; no image was replaced");
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd_);
            throw std::runtime_error(
                "cannot write into " + folder + ": " +
                (error == EWOULDBLOCK ? std::string("another run is writing images there") : std::strerror(error)) +
                "; no image was replaced");
        }
    }
    ~FolderLock() { ::close(fd_); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

void copyPath(char (&target)[kMaxPath], const std::string& path)
{
    if (path.size() >= kMaxPath) throw std::runtime_error("cannot write " + path + ": the path is too long");
    std::memcpy(target, path.c_str(), path.size() + 1);
}

// Makes the backup of what `entry.final` holds: a hard link under an
// unpredictable name (link never replaces nor follows what is there), or,
// where links are not supported, the earlier file renamed away.
void backUp(JournalEntry& entry, const std::string& folder, const std::string& name)
{
    struct stat existing {};
    if (::lstat(entry.final, &existing) != 0) {
        if (errno == ENOENT) return;
        throw std::runtime_error("cannot replace " + std::string(entry.final) + ": " + std::strerror(errno));
    }
    if (S_ISDIR(existing.st_mode))
        throw std::runtime_error("cannot replace " + std::string(entry.final) + ": it is a folder");
    for (;;) {
        copyPath(entry.backup, (std::filesystem::path(folder) / unpredictableName("." + name + ".old")).string());
        if (::link(entry.final, entry.backup) == 0) break;
        if (errno == EEXIST) continue;
        if ((errno == EPERM || errno == ENOTSUP || errno == EMLINK) && ::rename(entry.final, entry.backup) == 0) {
            // The name is already empty: from here on, undoing renames the
            // backup back (marked before hasBackup, so that an interrupt in
            // between never removes the only copy).
            entry.replacing = 1;
            break;
        }
        throw std::runtime_error("cannot keep a copy of " + std::string(entry.final) + ": " + std::strerror(errno));
    }
    entry.hasBackup = 1;
}

}  // namespace

std::string pngFileBytes(const Image& image, const std::string& record)
{
    std::vector<std::uint8_t> bytes(image.pixels.size() * 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        bytes[3 * i + 0] = toSrgb8(image.pixels[i].x);
        bytes[3 * i + 1] = toSrgb8(image.pixels[i].y);
        bytes[3 * i + 2] = toSrgb8(image.pixels[i].z);
    }
    // Encoded in memory first, so that the record can go in before it is written.
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    bool written = png_image_write_get_memory_size(png, size, 0, bytes.data(), 0, nullptr) != 0;
    std::vector<std::uint8_t> encoded(written ? size : 0);
    if (written) written = png_image_write_to_memory(&png, encoded.data(), &size, 0, bytes.data(), 0, nullptr) != 0;
    const std::string reason = png.message;
    png_image_free(&png);
    if (!written) throw std::runtime_error(reason);
    encoded.resize(size);
    if (!record.empty()) insertTextChunk(encoded, kRecordKey, record);
    return std::string(encoded.begin(), encoded.end());
}

void writeImages(const std::string& folder, const std::vector<ImageFile>& files)
{
    namespace fs = std::filesystem;
    if (files.size() > std::size_t(kMaxFiles)) throw std::invalid_argument("writeImages: too many files at once");
    const FolderLock lock(folder);
    WriteGuard guard;
    // Undoes the entries so far, newest first; names an earlier file that
    // could not be put back.
    auto undoJournal = [] {
        std::string lost;
        for (int i = journalSize - 1; i >= 0; --i)
            if (!undo(journal[i])) lost = journal[i].final;
        journalSize = 0;
        return lost;
    };
    try {
        for (const ImageFile& file : files) {
            const std::string name = (fs::path(folder) / file.name).string();
            JournalEntry& entry = journal[journalSize];
            copyPath(entry.final, name);
            entry.hasBackup = 0;
            entry.replacing = 0;
            UniqueFile temporary;
            {
                const CleanupSignalsHeld held;
                try {
                    temporary = createUniqueFile(folder, "." + file.name);
                } catch (const std::system_error& e) {
                    throw std::runtime_error("cannot write " + name + ": " + std::strerror(e.code().value()));
                }
                std::snprintf(entry.temporary, kMaxPath, "%s", temporary.path.c_str());
                journalSize = journalSize + 1;
            }
            FileSink sink(temporary.fd);
            if (file.format == ImageFormat::Png)
                writePngTo(sink, *file.image, name, file.record);
            else
                writeExrTo(sink, *file.image, name, file.record);
            if (!sink.finish()) failWriting(name, sink, "");
        }
        for (std::size_t i = 0; i < files.size(); ++i) {
            JournalEntry& entry = journal[i];
            const CleanupSignalsHeld held;
            backUp(entry, folder, files[i].name);
            entry.replacing = 1;
            if (::rename(entry.temporary, entry.final) != 0)
                throw std::runtime_error("cannot replace " + std::string(entry.final) + ": " + std::strerror(errno));
        }
    } catch (const std::bad_alloc&) {
        const std::string lost = undoJournal();
        throw std::runtime_error(
            "out of memory writing the images" +
            (lost.empty() ? "; no image was replaced" : "; the earlier " + lost + " could not be put back"));
    } catch (const std::exception& e) {
        const std::string lost = undoJournal();
        throw std::runtime_error(std::string(e.what()) + (lost.empty()
                                                              ? "; no image was replaced"
                                                              : "; the earlier " + lost + " could not be put back"));
    }
    // Every image is in place: the set is the new one from here, so the
    // journal is closed before the backups go. A signal meanwhile waits, then
    // undoes nothing; undoing after some backups had gone would put back only
    // the rest, a mix of old and new.
    const CleanupSignalsHeld held;
    const int entries = journalSize;
    journalSize = 0;
    for (int i = 0; i < entries; ++i)
        if (journal[i].hasBackup) ::unlink(journal[i].backup);
}

SignalsThatEndTheRunHeld::SignalsThatEndTheRunHeld()
{
    const sigset_t held = cleanupSignalSet();
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalsThatEndTheRunHeld::~SignalsThatEndTheRunHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace preview
