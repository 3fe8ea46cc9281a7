#include "check/CheckController.h"

#include "check/Log.h"
#include "cloud/GbkText.h"
#include "search/ContentIndex.h"
#include "search/IndexKeeper.h"

namespace qinglan {

CheckController::CheckController(HtmlView* view, IndexKeeper* keeper, QString pagePath,
                                 QObject* parent)
    : ProgramPage(view, std::move(pagePath), QStringLiteral("qinglanCheck"), parent),
      m_keeper(keeper) {
    connect(m_keeper, &IndexKeeper::IndexUpdated, this, [this] {
        m_names.reset();
        Render();
    });
}

QString CheckController::PageHtml() const { return CheckPageHtml(); }

void CheckController::OnShown() { m_keeper->Resync(); }

QString CheckController::ResultsHtml(const QJsonObject& state) {
    // Until the index is ready, every entry would seem missing: nothing is said yet.
    if (!m_keeper->Index())
        return {};
    if (!m_names)
        m_names = std::make_unique<NameTable>(NameTable::Of(*m_keeper->Index()));
    const NameTable& table = *m_names;
    int more = 0;
    const QList<PrescriptionItem> items =
        ParsePrescription(state.value(QStringLiteral("rx")).toString().left(20000), &more);
    const QString data = m_keeper->DataPath();
    CheckReport report = CheckPrescription(
        items, table, CompatibilityRules::Compiled(), [&data](const QString& file) {
            // An entry that cannot be read is reported as not checked.
            const auto text = ReadGbkTextFile(data + u'/' + file);
            if (!text)
                qCWarning(lcCheck) << "cannot read the entry" << data + u'/' + file;
            return text.value_or(QString());
        });
    report.more = more;
    return CheckReportHtml(report);
}

} // namespace qinglan
