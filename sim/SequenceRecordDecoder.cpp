#include "sim/SequenceRecordDecoder.h"

#include <QByteArrayView>

namespace tz::sim {

namespace {

class Cursor {
public:
    explicit Cursor(const QByteArray& t) : t_(t) {}
    bool atEnd() const { return p_ >= t_.size(); }
    char peek() const { return atEnd() ? '\0' : t_[p_]; }
    bool take(char c) {
        if (peek() != c) return false;
        ++p_;
        return true;
    }
    bool takeText(const char* s) {
        if (!t_.mid(p_).startsWith(s)) return false;
        p_ += qstrlen(s);
        return true;
    }
    // Optional sign, digits, optional point and digits.
    QByteArray number() {
        const qsizetype start = p_;
        if (peek() == '-') ++p_;
        while (isDigit(peek())) ++p_;
        if (peek() == '.') {
            ++p_;
            while (isDigit(peek())) ++p_;
        }
        return t_.mid(start, p_ - start);
    }
    QByteArray digits() {
        const qsizetype start = p_;
        while (isDigit(peek())) ++p_;
        return t_.mid(start, p_ - start);
    }
    // A rate "00000.0000": the decimals are fixed at four, so the next field
    // may follow without a separator.
    bool rate(double& out) {
        const qsizetype start = p_;
        if (peek() == '-') ++p_;
        while (isDigit(peek())) ++p_;
        if (!take('.')) return false;
        for (int i = 0; i < 4; ++i)
            if (!isDigit(peek())) return false;
            else ++p_;
        bool ok = false;
        out = t_.mid(start, p_ - start).toDouble(&ok);
        return ok;
    }
    bool field(double& out) {  // number then one blank
        const QByteArray n = number();
        bool ok = false;
        out = n.toDouble(&ok);
        return ok && take(' ');
    }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    const QByteArray& t_;
    qsizetype p_ = 0;
};

bool toInt(const QByteArray& digits, int& out) {
    bool ok = false;
    out = digits.toInt(&ok);
    return ok;
}

bool readStepBody(Cursor& c, SequenceStep& s) {
    return c.field(s.elapseTimeMin) && c.field(s.tempF) && c.field(s.startErrorF) &&
           c.rate(s.shearRate) && c.take(' ');
}

}  // namespace

std::optional<SequenceData> decodeSequenceRecord(const QByteArray& record) {
    Cursor c(record);
    SequenceData seq;

    // The step count runs straight into the number of the first step ("0301 ...").
    const QByteArray head = c.digits();
    int steps = 0;
    if (c.peek() == 'w') {
        if (!toInt(head, steps) || steps != 0) return std::nullopt;
    } else {
        if (head.size() < 4 || !head.endsWith("01") || !toInt(head.chopped(2), steps) ||
            steps < 1 || !c.take(' '))
            return std::nullopt;
    }
    for (int i = 1; i <= steps; ++i) {
        if (i > 1) {
            int n = 0;
            if (!toInt(c.digits(), n) || n != i || !c.take(' ')) return std::nullopt;
        }
        SequenceStep s;
        s.rampNo = i;
        s.runRamp = 0;  // not on the wire
        if (!readStepBody(c, s)) return std::nullopt;
        seq.steps.append(s);
    }
    if (!c.take('w')) return std::nullopt;

    // The row count runs into the first row's number ("0201 ..."), or with no
    // rows into the settle time ("00020 ").
    const QByteArray rowsHead = c.digits();
    int rows = 0;
    QByteArray settle;
    if (rowsHead.startsWith("00")) {
        settle = rowsHead.mid(2);
    } else {
        if (rowsHead.size() < 4 || !rowsHead.endsWith("01") || !toInt(rowsHead.chopped(2), rows) ||
            !c.take(' '))
            return std::nullopt;
    }
    for (int j = 1; j <= rows; ++j) {
        if (j > 1) {
            int n = 0;
            if (!toInt(c.digits(), n) || n != j || !c.take(' ')) return std::nullopt;
        }
        double r = 0;
        if (!c.rate(r)) return std::nullopt;
        seq.rampShearRates.append(r);
    }
    if (rows > 0) settle = c.digits();
    bool ok = false;
    seq.timeBeforeRead = settle.toDouble(&ok);
    if (settle.isEmpty() || !ok || !c.take(' ')) return std::nullopt;

    double interval = 0;
    if (!c.field(seq.rampSampleRate) || !c.field(seq.samplePointsAverage) ||
        !c.field(seq.shutDownATime) || !c.field(seq.shutDownVisc) || !c.field(interval) ||
        !c.takeText("05x") || !c.atEnd())
        return std::nullopt;
    seq.sampleInterval = static_cast<int>(interval);
    return seq;
}

}  // namespace tz::sim
