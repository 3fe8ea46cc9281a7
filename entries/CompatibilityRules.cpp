#include "entries/CompatibilityRules.h"

#include <QFile>

#include <algorithm>

namespace qinglan {

bool CompatibilityRule::Pairs(const QString& a, const QString& b) const {
    return (one.contains(a) && other.contains(b)) || (one.contains(b) && other.contains(a));
}

QStringList CompatibilityRule::PartnersOf(const QString& name) const {
    if (one.contains(name))
        return other;
    if (other.contains(name))
        return one;
    return {};
}

bool CompatibilityRules::NamesMaterial(const QString& material) const {
    return std::any_of(rules.cbegin(), rules.cend(), [&](const CompatibilityRule& rule) {
        return rule.one.contains(material) || rule.other.contains(material);
    });
}

std::optional<CompatibilityRules> CompatibilityRules::Parse(QStringView text, QString* error) {
    CompatibilityRules result;
    QHash<QString, QString> sources;
    int number = 0;
    const auto fail = [&](const QString& why) -> std::optional<CompatibilityRules> {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(number).arg(why);
        return std::nullopt;
    };
    const auto names = [](QStringView list) {
        return list.toString().split(u' ', Qt::SkipEmptyParts);
    };
    for (const QStringView raw : text.split(u'\n')) {
        ++number;
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"source ")) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0)
                return fail(QStringLiteral("a source needs \"kind = text\""));
            sources.insert(line.mid(7, equals - 7).trimmed().toString(),
                           line.mid(equals + 1).trimmed().toString());
        } else if (line.startsWith(u"rule ")) {
            const QList<QStringView> parts = line.mid(5).split(u'|');
            if (parts.size() != 3)
                return fail(QStringLiteral("a rule needs \"kind | names | names\""));
            CompatibilityRule rule{
                parts[0].trimmed().toString(), names(parts[1]), names(parts[2]), {}};
            if (!sources.contains(rule.kind))
                return fail(QStringLiteral("no source for %1").arg(rule.kind));
            if (rule.one.isEmpty() || rule.other.isEmpty())
                return fail(QStringLiteral("a rule side without names"));
            rule.source = sources.value(rule.kind);
            result.rules << rule;
        } else if (line.startsWith(u"prepared ")) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0)
                return fail(QStringLiteral("prepared forms need \"material = forms\""));
            const QString material = line.mid(9, equals - 9).trimmed().toString();
            const QStringList forms = names(line.mid(equals + 1));
            if (material.isEmpty() || forms.isEmpty())
                return fail(QStringLiteral("prepared forms without names"));
            for (const QString& form : forms)
                result.preparedForms.insert(form, material);
        } else if (line.startsWith(u"group ")) {
            const qsizetype equals = line.indexOf(u'=');
            if (equals < 0)
                return fail(QStringLiteral("a group needs \"names = materials\""));
            const QStringList groupNames = names(line.mid(6, equals - 6));
            const QStringList members = names(line.mid(equals + 1));
            if (groupNames.isEmpty() || members.isEmpty())
                return fail(QStringLiteral("a group without names"));
            for (const QString& name : groupNames)
                result.groups.insert(name, members);
        } else {
            return fail(QStringLiteral("not a source, rule, prepared or group line"));
        }
    }
    return result;
}

const CompatibilityRules& CompatibilityRules::Compiled() {
    static const CompatibilityRules rules = [] {
        QFile file(QStringLiteral(":/qinglan/rules/配伍禁忌.txt"));
        QString error;
        std::optional<CompatibilityRules> parsed;
        if (file.open(QIODevice::ReadOnly))
            parsed = Parse(QString::fromUtf8(file.readAll()), &error);
        // The file is part of the program and checked by its tests.
        Q_ASSERT_X(parsed, "CompatibilityRules", qPrintable(error));
        return parsed.value_or(CompatibilityRules());
    }();
    return rules;
}

} // namespace qinglan
