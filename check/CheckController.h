#pragma once

#include "check/Prescription.h"
#include "search/ProgramPage.h"

#include <memory>

namespace qinglan {

class HtmlView;
class IndexKeeper;

// The prescription check page in the main view: every change of the
// prescription is checked against the rules and the entries of the kept index.
class CheckController final : public ProgramPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CheckController)

public:
    CheckController(HtmlView* view, IndexKeeper* keeper, QString pagePath, QObject* parent);

protected:
    QString PageHtml() const override;
    QString ResultsHtml(const QJsonObject& state) override;
    void OnShown() override;

private:
    IndexKeeper* const m_keeper;
    // The names of the kept index, made again when the index changes.
    std::unique_ptr<NameTable> m_names;
};

} // namespace qinglan
