#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <memory>

class QFileInfo;

enum class ReadOnlyTarget {
    Replace, // a statement: the user chose the path and confirmed the replacement
    Refuse,  // a settings file: a read-only file means the user does not want it changed
};

// Writes the bytes beside the target and renames the result over it in one step, keeping the
// old file's permissions. After any failure the old file (if any) is left byte for byte and no
// partial file remains; error then holds the reason (it does not repeat the path). A character
// device or a pipe at the path (links followed) is written into, never replaced; any other kind
// of file that is not a regular one is refused.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, ReadOnlyTarget readOnly,
                         QString* error = nullptr);

// The same for a file made while it is written (a statement of a year of documents need not be
// held whole in memory): Open, Write as often as needed, Commit. Until Commit succeeds the target
// is untouched; a writer destroyed without it leaves the old file byte for byte and no partial
// file. After a failed Write the later ones do nothing and Commit says what went wrong.
class AtomicFileWriter {
public:
    AtomicFileWriter(const QString& path, ReadOnlyTarget readOnly);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open(QString* error = nullptr);
    bool Write(const char* data, qint64 size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    bool Commit(QString* error = nullptr);

private:
    enum class Mode {
        Save,     // a new or writable regular file: QSaveFile
        Stream,   // a character device or a pipe: written into
        ReadOnly, // a read-only statement: a new file renamed over it
    };

    bool CommitReadOnly(QString* error);

    QString m_path;
    ReadOnlyTarget m_readOnly;
    Mode m_mode = Mode::Save;
    std::unique_ptr<QFileDevice> m_file;
    QFileDevice::Permissions m_permissions; // the read-only file's, for its successor
    bool m_hadOld = false;
    bool m_failed = false;
};

// Whether the file's (or folder's) own permissions forbid writing. The owner's write bit counts
// even for an administrator, who could write anyway: the bit is what the user set.
bool IsReadOnly(const QFileInfo& info);
