#pragma once

#include <QtGlobal>

#include <chrono>

namespace qinglan {

// What a transfer fetches; each kind has its own bounds.
enum class TransferKind {
    Listing,    // a folder listing
    NamedText,  // a named text file: home, help, about page, announcement, version file
    Entry,      // an entry file of the data folder
    Executable, // the update's executable
    Signature,  // the update's signature
};

// The bounds of one kind: the whole transfer must end within total, and its body
// may not grow beyond maxBytes (announced or not).
struct KindLimit final {
    std::chrono::milliseconds total;
    qint64 maxBytes;
};

// Every bound of every transfer, in one place. A transfer fails when it reaches
// any of them; no file is left and the caller's usual fallback runs.
struct TransferLimits final {
    std::chrono::milliseconds connect{10000};
    // The stall rule: a transfer fails when, for this long, less arrives per
    // second than its kind's minimum rate.
    std::chrono::seconds stall{30};
    qint64 textStallBytesPerSecond = 1;
    qint64 fileStallBytesPerSecond = 1024;

    KindLimit listing{std::chrono::seconds(60), qint64(64) << 20};
    KindLimit namedText{std::chrono::seconds(60), qint64(64) << 20};
    KindLimit entry{std::chrono::seconds(120), qint64(16) << 20};
    KindLimit executable{std::chrono::minutes(30), qint64(1) << 30};
    KindLimit signature{std::chrono::seconds(60), qint64(64) << 10};

    KindLimit For(TransferKind kind) const;
    qint64 StallRate(TransferKind kind) const;
};

// The bounds in force for transfers that start from now on; tests shorten them.
void SetTransferLimits(const TransferLimits& limits);
TransferLimits CurrentTransferLimits();

} // namespace qinglan
