#pragma once

#include <QByteArray>

// What the number rewriting pass asks of a change rule or of the format masks: the new text
// of one number, given its working number (see WorkingNumber). An empty answer means "no
// change". Called on the pass's worker thread only.
class NumberTransform {
public:
    virtual ~NumberTransform() = default;
    virtual QByteArray rewrite(const QByteArray &working) const = 0;
};
