#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A multipart/form-data body read piece by piece as it arrives; a pure parser that keeps at
// most one delimiter's worth of a file's bytes, so a body of any size passes through in
// constant memory. The delimiter is taken from the body's first line, as the upload clients
// that talk to this server send it.
class MultipartParser {
public:
    static constexpr qsizetype kMaxDelimiterBytes = 200;     // "--" and the boundary
    static constexpr qsizetype kMaxPartHeaderLineBytes = 8190;
    static constexpr int kMaxPartHeaderLines = 32;
    static constexpr qsizetype kMaxFieldValueBytes = 8192;   // a text field (not a file)

    enum class State {
        Incomplete,  // more body is needed
        Complete,    // the closing delimiter was read; bytes after it are ignored
        Bad,         // the body breaks the format or a limit; further pieces are ignored
    };

    // What the parser found, reported while pieces are fed.
    class Sink {
    public:
        virtual ~Sink() = default;
        // A text part ended with its whole value.
        virtual void field(const QString &name, const QByteArray &value) = 0;
        // A file part starts; answer false to skip its bytes. The file name is as sent
        // (without its quotes), decoded as UTF-8 or else as Latin-1.
        virtual bool fileBegins(const QString &name, const QString &fileName) = 0;
        virtual void fileData(QByteArrayView bytes) = 0;
        // The file part ended at its delimiter: everything it holds was handed over.
        virtual void fileEnds() = 0;
    };

    State feed(QByteArrayView piece, Sink &sink);
    State state() const { return m_state; }

private:
    enum class Phase { Preamble, PartHeaders, AfterDelimiter, PartBody };

    bool readPreamble();
    bool readPartHeaders(Sink &sink);
    bool readAfterDelimiter(Sink &sink);
    bool readPartBody(Sink &sink);
    void emitContent(QByteArrayView bytes, Sink &sink);
    void fail() { m_state = State::Bad; }

    State m_state = State::Incomplete;
    Phase m_phase = Phase::Preamble;
    QByteArray m_buffer;       // bytes received and not yet used
    qsizetype m_used = 0;      // bytes of m_buffer already used
    QByteArray m_delimiter;    // CR LF "--boundary"
    int m_headerLines = 0;
    QString m_partName;
    bool m_partIsFile = false;
    bool m_partWanted = false;
    QByteArray m_fieldValue;
};
