// The query over the entry index: BuildResultPage on arbitrary index text and
// query. The input is the index text, a NUL byte, then the query.

#include "fuzz/FuzzInput.h"
#include "search/ResultPage.h"
#include "shell/Pages.h"

#include <algorithm>
#include <cstring>

namespace {

using qinglan::ExactMatch;
using qinglan::ResultPageSources;

const QString& EntryText() {
    static const QString text = QStringLiteral("<p>性味：甘，微苦，平。</p>");
    return text;
}

const QString& PictureAddress() {
    static const QString address =
        QStringLiteral("http://127.0.0.1:8936/items/7F3A9C20D41E6B85!100201");
    return address;
}

QString PageHead() {
    return qinglan::BodyOpen(qinglan::ResultPageStyle()) + QString::fromUtf16(qinglan::HiddenInput);
}

struct Calls {
    int entry = 0;
    int picture = 0;
    int yield = 0;
};

// Sources that answer with fixed strings (or nothing, when offline), checking
// that they are only ever asked about exact matches of the query.
ResultPageSources Sources(QStringView indexText, const QString& query, bool offline, Calls* calls,
                          int yieldsAllowed) {
    ResultPageSources sources;
    sources.entryText = [=](const ExactMatch& match) {
        ++calls->entry;
        FUZZ_CHECK(match.displayName == query);
        FUZZ_CHECK(match.remoteName.size() >= 9);
        FUZZ_CHECK(match.remoteName.contains(query));
        // The match is one line of the index: "number - remote name".
        FUZZ_CHECK(
            indexText.contains(match.resourceNumber + QStringLiteral(" - ") + match.remoteName));
        return offline ? QString() : EntryText();
    };
    sources.pictureAddress = [=](const QString& displayName) {
        ++calls->picture;
        FUZZ_CHECK(displayName == query);
        return offline ? QString() : PictureAddress();
    };
    sources.yield = [=] { return ++calls->yield <= yieldsAllowed; };
    return sources;
}

void CheckQuery(QStringView indexText, const QString& query, bool offline) {
    Calls calls;
    const auto page = qinglan::BuildResultPage(indexText, query,
                                               Sources(indexText, query, offline, &calls, 1 << 30));
    FUZZ_CHECK(page.has_value());
    FUZZ_CHECK(calls.entry == calls.picture);

    // The first and the last piece between CR LFs are never examined; the
    // window is given a turn after every examined line.
    const qsizetype breaks = indexText.count(u"\r\n");
    FUZZ_CHECK(calls.yield == std::max<qsizetype>(0, breaks - 1));

    const QString head = PageHead();
    FUZZ_CHECK(page->startsWith(head));
    const QString notFound = head + QStringLiteral("<h1>未找到任何信息</h1>");
    if (!indexText.contains(query)) {
        FUZZ_CHECK(*page == notFound);
        FUZZ_CHECK(calls.entry == 0);
    }
    if (calls.entry > 0) {
        FUZZ_CHECK(*page != notFound);
        if (offline) {
            FUZZ_CHECK(page->contains(qinglan::OfflineParagraph(query)));
            FUZZ_CHECK(!page->startsWith(head + QStringLiteral("<img src='")));
        } else {
            FUZZ_CHECK(page->contains(EntryText()));
            FUZZ_CHECK(page->startsWith(head + QStringLiteral("<img src='") + PictureAddress() +
                                        QStringLiteral("'><br>")));
        }
    }
}

// A window that says stop at its first turn abandons the query, and only then.
void CheckAbandon(QStringView indexText, const QString& query) {
    Calls calls;
    const auto page =
        qinglan::BuildResultPage(indexText, query, Sources(indexText, query, false, &calls, 0));
    FUZZ_CHECK(page.has_value() == (calls.yield == 0));
    FUZZ_CHECK(calls.yield <= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t indexSize = nul ? static_cast<size_t>(nul - data) : size;
    const QString indexText = qinglan::fuzz::Utf8Text(data, indexSize);
    const QString query = nul ? qinglan::fuzz::Utf8Text(nul + 1, size - indexSize - 1) : QString();

    CheckQuery(indexText, query, false);
    CheckQuery(indexText, query, true);
    CheckAbandon(indexText, query);
    return 0;
}
