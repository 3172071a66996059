// libgsf first: its GLib headers must not see Qt's keyword macros.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include "app/text.h"
#include "reports/olefile.h"

#include <memory>
#include <mutex>

namespace marvono::ole {
namespace {

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

struct Unref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using Ref = std::unique_ptr<T, Unref>;

QString messageOf(GError* gerror, const QString& fallback)
{
    if (!gerror)
        return fallback;
    const QString text = QString::fromUtf8(gerror->message);
    g_error_free(gerror);
    return text;
}

std::optional<QByteArray> readAll(GsfInput* input, QString* error)
{
    const gsf_off_t size = gsf_input_size(input);
    if (size < 0 || size > gsf_off_t(1) << 30) {
        fail(error, QStringLiteral("A stream of the compound file is too large."));
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(input, size_t(size), reinterpret_cast<guint8*>(bytes.data()))) {
        fail(error, QStringLiteral("A stream of the compound file cannot be read."));
        return std::nullopt;
    }
    return bytes;
}

bool writeStream(GsfOutfile* parent, const char* name, const QByteArray& contents, QString* error)
{
    Ref<GsfOutput> child(gsf_outfile_new_child(parent, name, FALSE));
    if (!child)
        return fail(error, QStringLiteral("Cannot add a stream to the compound file."));
    const bool written = contents.isEmpty() || gsf_output_write(child.get(), size_t(contents.size()),
                                                                reinterpret_cast<const guint8*>(contents.constData()));
    const bool closed = gsf_output_close(child.get());
    return (written && closed) || fail(error, QStringLiteral("Cannot write a stream of the compound file."));
}

// Copies every child of `from` into `to`, sending the top-level stream `changed` through `change`.
bool copyChildren(GsfInfile* from, GsfOutfile* to, const QString& changed, const StreamChange* change, bool* found,
                  QString* error)
{
    const int count = gsf_infile_num_children(from);
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(from, i);
        Ref<GsfInput> child(gsf_infile_child_by_index(from, i));
        if (!name || !child)
            return fail(error, QStringLiteral("A compound file entry cannot be opened."));
        if (GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0) {
            Ref<GsfOutput> storage(gsf_outfile_new_child(to, name, TRUE));
            if (!storage ||
                !copyChildren(GSF_INFILE(child.get()), GSF_OUTFILE(storage.get()), QString(), nullptr, found, error) ||
                !gsf_output_close(storage.get()))
                return fail(error, error && !error->isEmpty() ? *error : QStringLiteral("Cannot copy a storage."));
            continue;
        }
        auto contents = readAll(child.get(), error);
        if (!contents)
            return false;
        if (change && !*found && QString::fromUtf8(name).compare(changed, Qt::CaseInsensitive) == 0) {
            *found = true;
            contents = (*change)(*contents, error);
            if (!contents)
                return false;
        }
        if (!writeStream(to, name, *contents, error))
            return false;
    }
    return true;
}

// Runs `fill` on a new compound file in memory and returns the file's bytes.
std::optional<QByteArray> buildFile(const std::function<bool(GsfOutfile*)>& fill, QString* error)
{
    Ref<GsfOutput> sink(gsf_output_memory_new());
    Ref<GsfOutfile> root(gsf_outfile_msole_new(sink.get()));
    if (!root) {
        fail(error, QStringLiteral("Cannot start a compound file."));
        return std::nullopt;
    }
    const bool filled = fill(root.get());
    const bool closed = gsf_output_close(GSF_OUTPUT(root.get()));
    root.reset();
    if (!gsf_output_is_closed(sink.get()))
        gsf_output_close(sink.get());
    if (!filled)
        return std::nullopt;
    if (!closed) {
        fail(error, QStringLiteral("Cannot finish the compound file."));
        return std::nullopt;
    }
    const gsf_off_t size = gsf_output_size(sink.get());
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    return QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size));
}

} // namespace

std::optional<QByteArray> singleStreamFile(const QString& name, const QByteArray& contents, QString* error)
{
    initialiseOnce();
    const QByteArray utf8 = name.toUtf8();
    return buildFile([&](GsfOutfile* root) { return writeStream(root, utf8.constData(), contents, error); }, error);
}

std::optional<QByteArray> changeStream(const QByteArray& file, const QString& name, const StreamChange& change,
                                       QString* error)
{
    initialiseOnce();
    Ref<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(file.constData()), file.size(), FALSE));
    GError* gerror = nullptr;
    Ref<GsfInfile> source(input ? gsf_infile_msole_new(input.get(), &gerror) : nullptr);
    if (!source) {
        fail(error, QStringLiteral("Not a compound file: ") + messageOf(gerror, QStringLiteral("unreadable")));
        return std::nullopt;
    }
    bool found = false;
    QString copyError;
    auto result =
        buildFile([&](GsfOutfile* root) { return copyChildren(source.get(), root, name, &change, &found, &copyError); },
                  &copyError);
    if (!found) {
        fail(error, copyError.isEmpty() ? QStringLiteral("The compound file has no %1 stream.").arg(name) : copyError);
        return std::nullopt;
    }
    if (!result)
        fail(error, copyError);
    return result;
}

} // namespace marvono::ole
