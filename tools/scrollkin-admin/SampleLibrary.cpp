#include "SampleLibrary.h"
#include "db/SqlRecord.h"

#include "Tool.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Error.h"
#include "db/SchemaCodes.h"
#include "db/SqlText.h"
#include "store/FileFacts.h"

#include <QRandomGenerator>

#include <array>
#include <vector>

namespace admin_tool {

namespace {

// Bulk inserts commit in batches: one commit per file would dominate, one for everything
// would hold a huge transaction on a server.
constexpr int Files_Per_Transaction = 2000;
constexpr qint64 Bytes_Per_Transaction = qint64(64) << 20;

const char* const Words[] = {"Report", "Budget", "Minutes",  "Contract", "Invoice",
                             "Memo",   "Plan",   "Schedule", "Résumé",   "Director's Notes"};
const char* const Extensions[] = {".txt", ".pdf", ".doc", ".xls", ".jpg", ".png", ".zip", ""};

QString Four_Digits(qint64 n) {
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
}

// The counter's value is its first column, whatever its name.
QString Counter_Column(db::Connection& c) {
    const QString column =
        c.Open_Query(QStringLiteral("select top 1 * from tbl_file_no")).field_names().value(0);
    if (column.isEmpty())
        throw Refusal(QStringLiteral("the counter table tbl_file_no has no column"));
    return column;
}

// An explicit transaction in text both engines read; rolled back unless committed.
class Transaction {
public:
    explicit Transaction(db::Connection& c) : c_(c) {
        c_.Run_Statement(QStringLiteral("BEGIN TRANSACTION"));
    }
    ~Transaction() {
        if (!open_)
            return;
        try {
            c_.Run_Statement(QStringLiteral("ROLLBACK"));
        } catch (const db::Error&) {
            // The failure that got us here is the one to report.
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        c_.Run_Statement(QStringLiteral("COMMIT"));
        open_ = false;
    }

private:
    db::Connection& c_;
    bool open_ = true;
};

// The embedded engine commits each file's content on its own, and with large pages and a
// journal made and removed per commit that dominates a seed (10,000 files of 1 KiB: 14 s).
// So while seeding the journal file is kept and commits do not wait for the disk; at the end
// the settings return and one waiting commit puts everything on disk.
class Quick_Commits {
public:
    explicit Quick_Commits(db::Connection& c) : c_(c) {
        const db::Sql_Record_Pause sqlite_only; // the embedded engine's own settings
        synchronous_ = c_.Open_Query(QStringLiteral("PRAGMA synchronous")).text(0);
        c_.Run_Statement(QStringLiteral("PRAGMA synchronous=OFF"));
        c_.Run_Statement(QStringLiteral("PRAGMA journal_mode=PERSIST"));
        active_ = true;
    }
    ~Quick_Commits() {
        try {
            restore();
        } catch (const db::Error&) {
            // Settings of this connection only; it closes right after a failed seed.
        }
    }
    Quick_Commits(const Quick_Commits&) = delete;
    Quick_Commits& operator=(const Quick_Commits&) = delete;

    void finish() {
        restore();
        Transaction t(c_);
        c_.Run_Statement(QStringLiteral("update tbl_file_no set ") + Counter_Column(c_) +
                         QStringLiteral("=") + Counter_Column(c_));
        t.commit();
    }

private:
    void restore() {
        if (!active_)
            return;
        active_ = false;
        const db::Sql_Record_Pause sqlite_only;
        bool number = false;
        const int level = synchronous_.toInt(&number);
        c_.Run_Statement(QStringLiteral("PRAGMA synchronous=%1").arg(number ? level : 2));
        c_.Run_Statement(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }

    db::Connection& c_;
    QString synchronous_;
    bool active_ = false;
};

class Seeder {
public:
    Seeder(db::Connection& c, const Seed_Options& o)
        : c_(c), o_(o), rng_(Seed_Words(o.seed).data(), 2),
          embedded_(db::Connection_String(c.Connection_Text()).is_embedded()),
          piece_((db::codes::Block_Size + 3) / 4) {}

    Seed_Summary run() {
        if (o_.max_size > c_.Max_Content_Size())
            throw Refusal(QStringLiteral("files of %1 bytes do not fit; this library holds at "
                                         "most %2 bytes in one file")
                              .arg(o_.max_size)
                              .arg(c_.Max_Content_Size()));
        const qint64 file_count = qint64(Planned_Folders(o_)) * o_.files;
        {
            Transaction t(c_);
            // The sign-in's own bootstrap, so the sample can be signed into at once.
            c_.Run_Statement(QStringLiteral(
                "if not EXISTS(select * from tbl_user where SYS_ROLE='Administrator') insert into "
                "tbl_user(uid,pwd,[name],sys_role)values('Scrollkin','Hollowfen','Admin',"
                "'Administrator')"));
            add_catalogue();
            add_accounts();
            next_file_no_ = reserve_file_numbers(file_count);
            t.commit();
        }
        if (embedded_ && file_count > 0) {
            Quick_Commits quick(c_);
            add_files();
            quick.finish();
        } else {
            add_files();
        }
        return s_;
    }

private:
    struct File_Plan {
        QString no, folder, name, size_text, type, owner;
        qint64 bytes;
        quint64 content_seed;
    };

    static std::array<quint32, 2> Seed_Words(quint64 seed) {
        return {quint32(seed), quint32(seed >> 32)};
    }

    qint64 draw(qint64 low, qint64 high) {
        return low + qint64(rng_.bounded(quint64(high - low) + 1));
    }

    // The next number of an identifier sequence from its largest identifier so far, as the
    // program's generator reads it (the last four digits); refuses to run past 9999.
    int next_in_sequence(const QString& max_query, int wanted, const QString& what) {
        const db::Result r = c_.Open_Query(max_query);
        const QString max = r.eof() ? QString() : r.text(0).trimmed();
        const int next = max.isEmpty() ? 1 : max.right(4).toInt() + 1;
        if (wanted > 0 && next + wanted - 1 > Max_Sequence)
            throw Refusal(QStringLiteral("%1 more %2 were asked for, but only %3 identifiers are "
                                         "left after %4")
                              .arg(wanted)
                              .arg(what)
                              .arg(qMax(0, Max_Sequence - next + 1))
                              .arg(max));
        return next;
    }

    void add_catalogue() {
        const int departments = o_.groups * o_.departments;
        const int folders = departments * o_.folders;
        int group_no = next_in_sequence(QStringLiteral("select max(Group_no) from REF_Group"),
                                        o_.groups, QStringLiteral("groups"));
        int department_no =
            next_in_sequence(QStringLiteral("select max(Department_no) from tbl_Department"),
                             departments, QStringLiteral("departments"));
        int folder_no = next_in_sequence(
            QStringLiteral("select max(Folder_NO) from tbl_FoldER where folder_no like'Fold____'"),
            folders, QStringLiteral("folders"));
        for (int g = 0; g < o_.groups; ++g, ++group_no) {
            const QString group = db::codes::Prefix_Group() + Four_Digits(group_no);
            c_.Run_Statement(
                QStringLiteral("INSERT INTO REF_Group(Group_No,Group_Name) VALUES ('%1','%2')")
                    .arg(db::Quote_Sql(group),
                         db::Quote_Sql(QStringLiteral("Group %1").arg(group_no))));
            ++s_.groups;
            for (int d = 0; d < o_.departments; ++d, ++department_no) {
                const QString department =
                    db::codes::Prefix_Department() + Four_Digits(department_no);
                c_.Run_Statement(
                    QStringLiteral("INSERT INTO TBL_DEPARTMENT(DEPARTMENT_No,"
                                   "DEPARTMENT_Name,Group_NO) VALUES ('%1','%2','%3')")
                        .arg(db::Quote_Sql(department),
                             db::Quote_Sql(QStringLiteral("Department %1").arg(department_no)),
                             db::Quote_Sql(group)));
                departments_.push_back(department);
                folders_of_.emplace_back();
                ++s_.departments;
                for (int f = 0; f < o_.folders; ++f, ++folder_no)
                    add_folder(db::codes::Prefix_Folder() + Four_Digits(folder_no),
                               QStringLiteral("Folder %1").arg(folder_no), department, 0);
            }
        }
    }

    void add_folder(const QString& id, const QString& name, const QString& department, int level) {
        c_.Run_Statement(
            QStringLiteral("INSERT INTO TBL_Folder(Folder_No,Folder_Name,DEPARTMENT_No)"
                           " VALUES ('%1','%2','%3')")
                .arg(db::Quote_Sql(id), db::Quote_Sql(name), db::Quote_Sql(department)));
        folders_.push_back(id);
        folders_of_.back().push_back(id);
        ++(level == 0 ? s_.folders : s_.sub_folders);
        if (level < o_.depth)
            for (int k = 1; k <= o_.fan_out; ++k)
                add_folder(id + Four_Digits(k), QStringLiteral("Sub Folder %1").arg(k), department,
                           level + 1);
    }

    void add_accounts() {
        owners_ = {db::codes::Builtin_Admin_Uid()};
        int n = next_in_sequence(
            QStringLiteral("select max(UID) from tbl_user where UID like 'user____'"), o_.accounts,
            QStringLiteral("accounts"));
        for (int a = 0; a < o_.accounts; ++a, ++n) {
            const QString uid = QStringLiteral("user") + Four_Digits(n);
            const QString role = n % 10 == 0  ? db::codes::Role_Administrator()
                                 : n % 3 == 0 ? db::codes::Role_Manager()
                                              : db::codes::Role_User();
            c_.Run_Statement(QStringLiteral("insert into tbl_user(uid,pwd,[name],sys_role)"
                                            "values('%1','%2','%3','%4')")
                                 .arg(db::Quote_Sql(uid),
                                      db::Quote_Sql(QStringLiteral("pass") + Four_Digits(n)),
                                      db::Quote_Sql(QStringLiteral("Sample User %1").arg(n)),
                                      db::Quote_Sql(role)));
            owners_ << uid;
            ++s_.accounts;
            add_rights(uid, role);
        }
    }

    // A few departments with a right each, and sometimes one denied folder in one of them.
    void add_rights(const QString& uid, const QString& role) {
        if (departments_.empty())
            return;
        std::vector<size_t> order(departments_.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        const size_t count = std::min<size_t>(order.size(), size_t(draw(1, 3)));
        for (size_t i = 0; i < count; ++i) {
            std::swap(order[i], order[i + size_t(draw(0, qint64(order.size() - i - 1)))]);
            static constexpr char letters[] = {db::codes::Right_All, db::codes::Right_Read_Write,
                                               db::codes::Right_Read, db::codes::Right_Manager};
            const char letter = i == 0 && role == db::codes::Role_Manager()
                                    ? db::codes::Right_Manager
                                    : letters[draw(0, 3)];
            c_.Run_Statement(QStringLiteral("insert into Tbl_User_Department_Right(UID,"
                                            "Department_NO,User_Right) values('%1','%2','%3')")
                                 .arg(db::Quote_Sql(uid), db::Quote_Sql(departments_[order[i]]),
                                      QString(QLatin1Char(letter))));
            ++s_.rights;
        }
        if (draw(0, 2) != 0)
            return;
        const std::vector<QString>& folders =
            folders_of_[order[size_t(draw(0, qint64(count) - 1))]];
        if (folders.empty())
            return;
        c_.Run_Statement(
            QStringLiteral("insert into Tbl_User_Folder_Deny(UID,Folder_NO) values('%1','%2')")
                .arg(db::Quote_Sql(uid),
                     db::Quote_Sql(folders[size_t(draw(0, qint64(folders.size()) - 1))])));
        ++s_.denials;
    }

    // Takes n numbers from the counter in one step and returns the first. The counter ends at
    // the last one handed out and never below a number already in use.
    qint64 reserve_file_numbers(qint64 n) {
        if (n == 0)
            return 0;
        const QString column = Counter_Column(c_);
        qint64 highest = 0;
        for (db::Result r =
                 c_.Open_Query(QStringLiteral("select File_NO from Tbl_File_Information"));
             !r.eof(); r.next())
            highest = qMax(highest, r.text(0).trimmed().toLongLong());
        c_.Run_Statement(QStringLiteral("if not EXISTS(select * from tbl_file_no) insert into "
                                        "tbl_file_no(%1) values('%2')")
                             .arg(column)
                             .arg(highest));
        c_.Run_Statement(QStringLiteral("update tbl_file_no set %1=%2 where %1 is null or %1<%2")
                             .arg(column)
                             .arg(highest));
        c_.Run_Statement(QStringLiteral("update tbl_file_no set %1=%1+%2").arg(column).arg(n));
        const qint64 last =
            c_.Open_Query(QStringLiteral("select top 1 %1 from tbl_file_no").arg(column))
                .field(0)
                .toLongLong();
        s_.first_file_no = last - n + 1;
        s_.last_file_no = last;
        return s_.first_file_no;
    }

    void add_files() {
        std::vector<File_Plan> batch;
        qint64 batch_bytes = 0;
        for (const QString& folder : folders_) {
            for (int j = 1; j <= o_.files; ++j) {
                File_Plan f;
                f.no = QString::number(next_file_no_++);
                f.folder = folder;
                const QString word = QString::fromUtf8(Words[draw(0, std::size(Words) - 1)]);
                const QString ext =
                    QString::fromLatin1(Extensions[draw(0, std::size(Extensions) - 1)]);
                const QString file_name = QStringLiteral("%1 %2").arg(word).arg(j) + ext;
                f.name = store::File_Base_Name(file_name);
                f.type = store::File_Type_Text(file_name);
                f.bytes = draw(o_.min_size, o_.max_size);
                f.size_text = store::File_Size_Text(f.bytes);
                f.owner = owners_[draw(0, owners_.size() - 1)];
                f.content_seed = rng_.generate64();
                batch_bytes += f.bytes;
                batch.push_back(std::move(f));
                if (int(batch.size()) >= Files_Per_Transaction ||
                    batch_bytes >= Bytes_Per_Transaction) {
                    store(batch);
                    batch_bytes = 0;
                }
            }
        }
        store(batch);
    }

    void store(std::vector<File_Plan>& batch) {
        if (batch.empty())
            return;
        {
            Transaction t(c_);
            for (const File_Plan& f : batch) {
                c_.Run_Statement(
                    QStringLiteral(
                        "insert into Tbl_File_Information (File_NO,Folder_NO,File_Name,"
                        "File_Size,File_Type,File_Owner) values ('%1','%2','%3','%4','%5',"
                        "'%6')")
                        .arg(db::Quote_Sql(f.no), db::Quote_Sql(f.folder), db::Quote_Sql(f.name),
                             db::Quote_Sql(f.size_text), db::Quote_Sql(f.type),
                             db::Quote_Sql(f.owner)));
                c_.Run_Statement(QStringLiteral("insert into Tbl_File_Data (file_no) values ('%1')")
                                     .arg(db::Quote_Sql(f.no)));
                // The embedded engine's content writer is a transaction of its own.
                if (!embedded_)
                    write_content(f);
                c_.Run_Statement(QStringLiteral("insert into Tbl_File_Log ( file_no,user_Name,"
                                                "date_accessed,Operation ) values('") +
                                 db::Quote_Sql(f.no) + QStringLiteral("','") +
                                 db::Quote_Sql(f.owner) + QStringLiteral("',default,'") +
                                 db::codes::Op_Created() + QStringLiteral("') "));
            }
            t.commit();
        }
        if (embedded_)
            for (const File_Plan& f : batch)
                write_content(f);
        for (const File_Plan& f : batch)
            s_.bytes += f.bytes;
        s_.files += qint64(batch.size());
        batch.clear();
    }

    // Made-up content, streamed as the program streams a file: the remainder first, then
    // whole pieces.
    void write_content(const File_Plan& f) {
        auto writer =
            c_.Begin_Blob_Write(QStringLiteral("Tbl_File_Data"), QStringLiteral("file_data"),
                                QStringLiteral("file_no"), f.no, f.bytes);
        QRandomGenerator content(Seed_Words(f.content_seed).data(), 2);
        const qint64 rest = f.bytes % db::codes::Block_Size;
        append_random(*writer, content, rest);
        for (qint64 at = rest; at < f.bytes; at += db::codes::Block_Size)
            append_random(*writer, content, db::codes::Block_Size);
        writer->commit();
    }

    void append_random(db::Blob_Writer& writer, QRandomGenerator& content, qint64 n) {
        if (n == 0)
            return;
        content.fillRange(piece_.data(), qsizetype((n + 3) / 4));
        writer.append(reinterpret_cast<const char*>(piece_.data()), n);
    }

    db::Connection& c_;
    const Seed_Options& o_;
    QRandomGenerator rng_;
    const bool embedded_;
    std::vector<quint32> piece_;
    Seed_Summary s_;
    std::vector<QString> departments_;
    std::vector<std::vector<QString>> folders_of_; // by position in departments_
    std::vector<QString> folders_;                 // every new folder and sub folder
    QStringList owners_;
    qint64 next_file_no_ = 0;
};

} // namespace

double Planned_Folders(const Seed_Options& o) {
    double per_top = 0, level = 1;
    for (int l = 0; l <= o.depth; ++l, level *= o.fan_out)
        per_top += level;
    return double(o.groups) * o.departments * o.folders * per_top;
}

Seed_Summary Seed_Library(db::Connection& c, const Seed_Options& o) {
    return Seeder(c, o).run();
}

} // namespace admin_tool
