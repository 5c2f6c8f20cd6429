#pragma once

// The store a control keeps its design-time settings in. Keys are matched
// without regard to case: the windows store them in lower case, the controls
// name them in mixed case. A value equal to its default is not written, which is
// why a flag whose default differs from every value it can take ("Enabled", with
// default 1 against true = -1) is always written.

#include <QMap>
#include <QString>
#include <QVariant>

namespace tarrowin {

class PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;
    void WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue = {});
    bool contains(const QString& name) const { return m_values.contains(name.toLower()); }
    int size() const { return static_cast<int>(m_values.size()); }

private:
    QMap<QString, QVariant> m_values;
};

} // namespace tarrowin
