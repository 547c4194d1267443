#include "KeyedArchiver.h"

#include "KeyedArchiveWriter.h"

struct KeyedArchiver::DataListWriter::Private {
    QIODevice &out;
    KeyedArchiveWriter graph;
    bool ok = true;
};

KeyedArchiver::DataListWriter::DataListWriter(QIODevice &out) : d(new Private{out, {}})
{
    d->graph.beginDataList();
}

KeyedArchiver::DataListWriter::~DataListWriter() = default;

bool KeyedArchiver::DataListWriter::append(const QByteArray &data)
{
    d->ok = d->ok && d->graph.appendToDataList(d->out, data);
    return d->ok;
}

bool KeyedArchiver::DataListWriter::finish()
{
    d->ok = d->ok && d->graph.finishDataList(d->out);
    return d->ok;
}

Result<QByteArray> KeyedArchiver::archivedData(const QVariant &root)
{
    KeyedArchiveWriter writer;
    KeyedArchiveWriter::Uid rootUid = 0;
    if (auto r = writer.encode(root, rootUid, 0); !r)
        return Error{r.error()};
    return writer.finish(rootUid);
}
