#include "reading/TagScanner.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename Char> using View = std::basic_string_view<Char>;

constexpr size_t BucketCount = 1021;
template <typename Char> size_t Bucket(View<Char> name) {
    using Unit = std::make_unsigned_t<Char>;
    return name.empty()
               ? 0
               : (size_t(Unit(name.front())) * 31 + name.size() * 7 + size_t(Unit(name.back()))) %
                     BucketCount;
}

// The next c at or after from; npos when there is none. Bytes go to the library's vector search;
// UTF-16 units by a plain loop: the next '<' or '>' is mostly a few dozen characters on, where a
// call costs more than the looking.
inline size_t Next(View<char> text, char c, size_t from) {
    if (from >= text.size()) return View<char>::npos;
    const void* at = std::memchr(text.data() + from, c, text.size() - from);
    return at ? size_t(static_cast<const char*>(at) - text.data()) : View<char>::npos;
}
inline size_t Next(View<char16_t> text, char16_t c, size_t from) {
    const char16_t* const chars = text.data();
    const size_t size = text.size();
    while (from < size && chars[from] != c)
        ++from;
    return from < size ? from : View<char16_t>::npos;
}

// ReadTag's content rule from just after the opening tag. plainEnd receives where the closing
// tag starts when the content holds no '<' at all, else npos.
template <typename Char>
View<Char> ContentFrom(View<Char> text, size_t from, View<Char> closer, size_t* plainEnd) {
    constexpr Char Lt = Char('<');
    // Mostly the content holds no markup and its own closing tag is the next '<'.
    size_t stop = Next(text, Lt, from);
    const bool closes = stop != View<Char>::npos && text.substr(stop).starts_with(closer);
    *plainEnd = closes ? stop : View<Char>::npos;
    if (stop != View<Char>::npos && !closes) stop = text.find(closer, stop);
    if (stop == View<Char>::npos) {
        constexpr Char EndOpen[] = {Char('<'), Char('/')};
        stop = text.find(View<Char>(EndOpen, 2), from);
    }
    if (stop == View<Char>::npos) return {};
    View<Char> content = text.substr(from, stop - from);
    const auto crLfAt = [&](size_t at) {
        return content.size() >= 2 && content[at] == Char('\r') && content[at + 1] == Char('\n');
    };
    if (crLfAt(0)) content.remove_prefix(2);
    if (crLfAt(content.size() - 2)) content.remove_suffix(2);
    return content;
}

template <typename Char> void Prepare(TagScanner::Form<Char>& form, std::basic_string<Char> name) {
    const int slot = int(form.Names.size());
    std::basic_string<Char> closer{Char('<'), Char('/')};
    closer += name;
    closer += Char('>');
    form.Closers.push_back(std::move(closer));
    form.Names.push_back(std::move(name));
    const View<Char> kept = form.Names.back();
    if (kept.find(Char('>')) != View<Char>::npos) {
        form.Odd.push_back(slot);
        return;
    }
    if (form.Plain.empty()) form.Plain.resize(BucketCount);
    if (form.Firsts.empty()) form.Firsts.resize(size_t(1) << (8 * sizeof(Char)));
    form.Plain[Bucket(kept)].push_back(slot);
    ++form.PlainCount;
    // What follows the '<' of "<name>": the empty name is followed by its '>'.
    using Unit = std::make_unsigned_t<Char>;
    form.Firsts[kept.empty() ? size_t('>') : size_t(Unit(kept.front()))] = true;
    form.Longest = std::max(form.Longest, qsizetype(kept.size()));
}

template <typename Char> int PlainSlot(const TagScanner::Form<Char>& form, View<Char> name) {
    for (const int slot : form.Plain[Bucket(name)])
        if (View<Char>(form.Names[size_t(slot)]) == name) return slot;
    return -1;
}

// A view of the caller's kind (QStringView, QByteArrayView) on the same units.
template <typename Out, typename Char> Out Viewed(View<Char> view) {
    return Out(view.data(), qsizetype(view.size()));
}

template <typename Char, typename Out>
void ScanForm(const TagScanner::Form<Char>& form, View<Char> text, std::vector<Out>& contents,
              const std::atomic<bool>* cancel) {
    constexpr size_t None = View<Char>::npos;
    contents.assign(form.Names.size(), Out());
    size_t plainEnd = None;
    for (const int slot : form.Odd) {
        std::basic_string<Char> open{Char('<')};
        open += form.Names[size_t(slot)];
        open += Char('>');
        const size_t at = text.find(open);
        if (at != None)
            contents[size_t(slot)] = Viewed<Out>(
                ContentFrom<Char>(text, at + open.size(), form.Closers[size_t(slot)], &plainEnd));
    }
    if (form.PlainCount == 0) return;
    // A name without '>' occurs as "<name>" exactly where a '<' is followed by the name and then
    // by the first '>' after that '<'. Every '<' is tried, since the text between it and that
    // '>' may hold another '<' ("<<b>"). A slot found holds a view that is not null, if empty.
    qsizetype left = form.PlainCount;
    size_t close = 0;
    bool closeKnown = false;
    qsizetype tried = 0;
    using Unit = std::make_unsigned_t<Char>;
    for (size_t open = Next(text, Char('<'), 0); open != None && left > 0;
         open = Next(text, Char('<'), open + 1)) {
        // A document of megabytes of '<' is scanned a while: look at the cancel now and then.
        if (cancel && (++tried & 0xFFFF) == 0 && cancel->load(std::memory_order_relaxed)) return;
        if (open + 1 < text.size() && !form.Firsts[size_t(Unit(text[open + 1]))]) continue;
        if (!closeKnown || close < open) {
            close = Next(text, Char('>'), open + 1);
            closeKnown = true;
            if (close == None) break;
        }
        const size_t length = close - open - 1;
        if (qsizetype(length) > form.Longest) continue;
        const View<Char> name = text.substr(open + 1, length);
        const int hit = PlainSlot(form, name);
        if (hit < 0 || contents[size_t(hit)].data()) continue;
        --left;
        const View<Char> content =
            ContentFrom<Char>(text, close + 1, form.Closers[size_t(hit)], &plainEnd);
        contents[size_t(hit)] =
            content.data() ? Viewed<Out>(content) : Out(text.data() + close + 1, 0);
        // Content without a '<' holds no tag to try: the next '<' is its closing tag's, which is
        // a tag to try only when a name begins with '/'.
        if (plainEnd != None && plainEnd > close && name.find(Char('<')) == None)
            open = form.Firsts[size_t('/')] ? plainEnd - 1
                                            : plainEnd + form.Closers[size_t(hit)].size() - 1;
    }
}

} // namespace

TagScanner::TagScanner(const QStringList& names) {
    for (const QString& name : names) {
        if (m_slots.contains(name)) continue;
        m_slots.insert(name, int(m_wide.Names.size()));
        Prepare(m_wide, std::u16string(reinterpret_cast<const char16_t*>(name.utf16()),
                                       size_t(name.size())));
        const QByteArray utf8 = name.toUtf8();
        Prepare(m_utf8, std::string(utf8.constData(), size_t(utf8.size())));
    }
}

void TagScanner::Scan(QStringView text, std::vector<QStringView>& contents,
                      const std::atomic<bool>* cancel) const {
    ScanForm(m_wide, View<char16_t>(text.utf16(), size_t(text.size())), contents, cancel);
}

void TagScanner::Scan(QByteArrayView utf8, std::vector<QByteArrayView>& contents,
                      const std::atomic<bool>* cancel) const {
    ScanForm(m_utf8, View<char>(utf8.data(), size_t(utf8.size())), contents, cancel);
}
