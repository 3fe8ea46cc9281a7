#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace qinglan {

// The classical incompatibilities (十八反, 十九畏) and the prepared forms of the
// materials they name, as data: entries/rules/配伍禁忌.txt, compiled into the
// program, read by this one parser. The prescription check and the library
// check both use them.
struct CompatibilityRule final {
    QString kind;    // 十八反, 十九畏
    QStringList one; // either side: any material of one with any of other
    QStringList other;
    QString source;

    // Whether a and b stand on opposite sides of the rule.
    bool Pairs(const QString& a, const QString& b) const;
    // The partners of name in the rule (the other side), empty when it is in neither.
    QStringList PartnersOf(const QString& name) const;
};

struct CompatibilityRules final {
    QList<CompatibilityRule> rules;
    // A prepared form's name ("法半夏") to its material ("半夏").
    QHash<QString, QString> preparedForms;
    // A name the classical verses use for several materials ("贝母") to those
    // materials ("川贝母", "浙贝母", ...).
    QHash<QString, QStringList> groups;

    // Whether a rule names material.
    bool NamesMaterial(const QString& material) const;

    // The rules compiled into the program.
    static const CompatibilityRules& Compiled();
    // Reads rules text; nullopt with a description in *error for a line that is
    // not of the four forms (source, rule, prepared, group), or a rule whose kind
    // has no source.
    static std::optional<CompatibilityRules> Parse(QStringView text, QString* error = nullptr);
};

} // namespace qinglan
