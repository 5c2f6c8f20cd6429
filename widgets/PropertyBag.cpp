#include "widgets/PropertyBag.h"

namespace tarrowin {

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const {
    auto it = m_values.constFind(name.toLower());
    return it == m_values.constEnd() ? defaultValue : *it;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value, const QVariant& defaultValue) {
    const QString key = name.toLower();
    if (defaultValue.isValid() && value == defaultValue) {
        m_values.remove(key);
        return;
    }
    m_values.insert(key, value);
}

} // namespace tarrowin
