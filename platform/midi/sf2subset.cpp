#include "sf2subset.h"

#include <QFile>
#include <QtEndian>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {
namespace {

// Record sizes of the preset-data chunks.
constexpr int PhdrSize = 38, BagSize = 4, ModSize = 10, GenSize = 4, InstSize = 22, ShdrSize = 46;
constexpr quint16 GenInstrument = 41, GenKeyRange = 43, GenVelRange = 44, GenSampleId = 53;
// A sample read is left unread only when that saves something: smaller ones are read at once.
constexpr qint64 LazyMinBytes = 64 * 1024;
const char* const SubsetScheme = "tonvale-sf2-subset:";

quint16 u16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 u32(const char* p) { return qFromLittleEndian<quint32>(p); }
void put16(QByteArray& b, int at, quint16 v) { qToLittleEndian<quint16>(v, b.data() + at); }
void put32(QByteArray& b, int at, quint32 v) { qToLittleEndian<quint32>(v, b.data() + at); }

QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray out(8, '\0');
    std::memcpy(out.data(), id, 4);
    put32(out, 4, quint32(body.size()));
    out += body;
    if (body.size() & 1) out += '\0';
    return out;
}

// A bag record: where its zone's generators and modulators start in these lists.
QByteArray bagRecord(const QByteArray& gens, const QByteArray& mods) {
    QByteArray bag(BagSize, '\0');
    put16(bag, 0, quint16(gens.size() / GenSize));
    put16(bag, 2, quint16(mods.size() / ModSize));
    return bag;
}

// One soundfont made in memory: head (RIFF header and INFO), the sample-data list read from
// the original file, then the preset data.
struct Subset {
    QString name;
    QString original;
    QByteArray head;
    qint64 sdtaOffset = 0;  // of the sample-data LIST header in the original file
    qint64 sdtaSize = 0;    // the whole LIST, header included
    QByteArray pdta;
    qint64 size() const { return head.size() + sdtaSize + pdta.size(); }

    // Lazy reading: the offsets of the samples' data in the original file.
    std::set<qint64> samples;
    mutable std::atomic<bool> lazy{false};
};

// Sample data FluidSynth holds but that was left unread: where it is and how long.
struct Unread {
    char* data = nullptr;
    qint64 bytes = 0;
};

struct Registry {
    std::mutex mutex;
    std::map<QString, std::shared_ptr<const Subset>> subsets;
    int next = 1;
    // Per lazy subset, by the data's offset in the original file.
    std::map<QString, std::map<qint64, Unread>> unread;
};
Registry& registry() {
    static Registry r;
    return r;
}
std::shared_ptr<const Subset> findSubset(const QString& name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.subsets.find(name);
    return it == r.subsets.end() ? nullptr : it->second;
}

// Reads [offset, offset + count) of a subset: from memory or from the original file.
bool readSubset(const Subset& s, FILE* original, qint64 offset, char* out, qint64 count) {
    while (count > 0) {
        qint64 n = 0;
        if (offset < s.head.size()) {
            n = qMin(count, qint64(s.head.size()) - offset);
            std::memcpy(out, s.head.constData() + offset, size_t(n));
        } else if (offset < s.head.size() + s.sdtaSize) {
            const qint64 inList = offset - s.head.size();
            n = qMin(count, s.sdtaSize - inList);
            if (!original || fseeko(original, off_t(s.sdtaOffset + inList), SEEK_SET) != 0) return false;
            if (fread(out, 1, size_t(n), original) != size_t(n)) return false;
        } else {
            const qint64 inPdta = offset - s.head.size() - s.sdtaSize;
            if (inPdta >= s.pdta.size()) return false;
            n = qMin(count, qint64(s.pdta.size()) - inPdta);
            std::memcpy(out, s.pdta.constData() + inPdta, size_t(n));
        }
        out += n;
        offset += n;
        count -= n;
    }
    return true;
}

bool readAt(int fd, qint64 offset, char* out, qint64 count) {
    while (count > 0) {
        const ssize_t n = pread(fd, out, size_t(count), off_t(offset));
        if (n <= 0) return false;
        out += n;
        offset += n;
        count -= n;
    }
    return true;
}

// A lazy subset's sample read: the pages inside the buffer stay untouched zero pages, only
// the partial pages at its ends (which may hold other data) are read. False when the read is
// to be done whole. (FluidSynth judges a sample's loop for its quietest useful level when a
// note first plays it, by then read: the test of lazy subsets hears the difference.)
bool leaveUnread(const Subset& s, FILE* original, qint64 pos, char* out, qint64 count) {
    if (count < LazyMinBytes || pos < s.head.size() || pos + count > s.head.size() + s.sdtaSize) return false;
    const qint64 at = s.sdtaOffset + (pos - s.head.size());  // in the original file
    if (!s.samples.count(at)) return false;
    const long page = sysconf(_SC_PAGESIZE);
    const quintptr first = (quintptr(out) + quintptr(page) - 1) & ~quintptr(page - 1);
    const quintptr last = (quintptr(out) + quintptr(count)) & ~quintptr(page - 1);
    if (last <= first) return false;
    // Whatever the buffer held, its inner pages become zero pages that cost nothing until
    // written.
    if (madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED) != 0) return false;
    const qint64 headBytes = qint64(first - quintptr(out)), tailFrom = qint64(last - quintptr(out));
    if (!readSubset(s, original, pos, out, headBytes) ||
        !readSubset(s, original, pos + tailFrom, out + tailFrom, count - tailFrom))
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.unread[s.name][at] = Unread{out, count};
    return true;
}

// A sample read whole drops what was left unread of it before (its old buffer is gone).
void readWhole(const Subset& s, qint64 pos) {
    const qint64 at = s.sdtaOffset + (pos - s.head.size());
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.unread.find(s.name);
    if (it != r.unread.end()) it->second.erase(at);
}

// ---- FluidSynth file callbacks: a subset by its name, any other name as a plain file ----

struct Handle {
    std::shared_ptr<const Subset> subset;  // null: a plain file
    FILE* file = nullptr;                  // the original (subset) or the file itself
    qint64 pos = 0;
};

void* cbOpen(const char* filename) {
    auto h = std::make_unique<Handle>();
    const QString name = QString::fromLocal8Bit(filename);
    if (name.startsWith(QLatin1String(SubsetScheme))) {
        h->subset = findSubset(name);
        if (!h->subset) return nullptr;
        h->file = fopen(QFile::encodeName(h->subset->original).constData(), "rb");
    } else {
        h->file = fopen(filename, "rb");
    }
    if (!h->file) return nullptr;
    return h.release();
}

int cbRead(void* buf, fluid_long_long_t count, void* handle) {
    auto* h = static_cast<Handle*>(handle);
    if (count < 0) return FLUID_FAILED;
    if (!h->subset) return fread(buf, 1, size_t(count), h->file) == size_t(count) ? FLUID_OK : FLUID_FAILED;
    if (h->subset->lazy && leaveUnread(*h->subset, h->file, h->pos, static_cast<char*>(buf), count)) {
        h->pos += count;
        return FLUID_OK;
    }
    if (!readSubset(*h->subset, h->file, h->pos, static_cast<char*>(buf), count)) return FLUID_FAILED;
    if (count >= LazyMinBytes && !h->subset->samples.empty()) readWhole(*h->subset, h->pos);
    h->pos += count;
    return FLUID_OK;
}

int cbSeek(void* handle, fluid_long_long_t offset, int origin) {
    auto* h = static_cast<Handle*>(handle);
    if (!h->subset) return fseeko(h->file, off_t(offset), origin) == 0 ? FLUID_OK : FLUID_FAILED;
    qint64 to = offset;
    if (origin == SEEK_CUR) to += h->pos;
    else if (origin == SEEK_END) to += h->subset->size();
    if (to < 0 || to > h->subset->size()) return FLUID_FAILED;
    h->pos = to;
    return FLUID_OK;
}

fluid_long_long_t cbTell(void* handle) {
    auto* h = static_cast<Handle*>(handle);
    return h->subset ? h->pos : fluid_long_long_t(ftello(h->file));
}

int cbClose(void* handle) {
    auto* h = static_cast<Handle*>(handle);
    if (h->file) fclose(h->file);
    delete h;
    return FLUID_OK;
}

} // namespace

// The file's layout and its preset data, record by record.
struct Sf2File::Layout {
    QByteArray head;  // RIFF header and INFO list as in the file
    qint64 sdtaOffset = 0, sdtaSize = 0;
    qint64 smplOffset = -1, smplBytes = 0;  // the 16-bit sample data, in the file
    bool lazyable = false;                  // 16-bit data only: lazy subsets can leave it unread
    QByteArray phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;
    std::map<Preset, int> presetIndex;      // phdr record by (bank, program)

    int count(const QByteArray& c, int size) const { return c.size() / size; }
    const char* rec(const QByteArray& c, int size, int i) const { return c.constData() + i * size; }
    // A 16-bit index held at `offset` in record i: a preset's or instrument's first bag, a
    // bag's first generator or modulator.
    int index(const QByteArray& c, int size, int i, int offset) const { return int(u16(rec(c, size, i) + offset)); }
    // Where sample s's data starts in the file.
    qint64 sampleDataAt(int s) const { return smplOffset + 2 * qint64(u32(rec(shdr, ShdrSize, s) + 20)); }
    // The other half of a stereo pair (or the next of linked samples); -1 for a mono sample.
    int linkedSample(int s) const {
        const char* r = rec(shdr, ShdrSize, s);
        return (u16(r + 44) & 0x0E) ? int(u16(r + 42)) : -1;
    }
};

Sf2File::~Sf2File() = default;

std::shared_ptr<Sf2File> Sf2File::open(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 12) return nullptr;
    const QByteArray riff = file.read(12);
    if (!riff.startsWith("RIFF") || riff.mid(8, 4) != "sfbk") return nullptr;
    auto layout = std::make_unique<Layout>();
    const qint64 end = qMin<qint64>(file.size(), 8 + qint64(u32(riff.constData() + 4)));
    QByteArray info;
    bool haveSdta = false, havePdta = false;
    for (qint64 at = 12; at + 12 <= end;) {
        file.seek(at);
        const QByteArray h = file.read(12);
        if (h.size() < 12) return nullptr;
        const qint64 size = u32(h.constData() + 4);
        const qint64 next = at + 8 + size + (size & 1);
        if (next > end + 1 || size < 4) return nullptr;
        if (h.startsWith("LIST")) {
            const QByteArray type = h.mid(8, 4);
            if (type == "INFO") {
                file.seek(at);
                info = file.read(8 + size + (size & 1));
            } else if (type == "sdta") {
                layout->sdtaOffset = at;
                layout->sdtaSize = 8 + size + (size & 1);
                haveSdta = true;
                bool sm24 = false;
                for (qint64 c = at + 12; c + 8 <= at + 8 + size;) {
                    file.seek(c);
                    const QByteArray ch = file.read(8);
                    if (ch.size() < 8) break;
                    const qint64 csize = u32(ch.constData() + 4);
                    if (ch.startsWith("smpl")) {
                        layout->smplOffset = c + 8;
                        layout->smplBytes = csize;
                    } else if (ch.startsWith("sm24")) {
                        sm24 = true;
                    }
                    c += 8 + csize + (csize & 1);
                }
                layout->lazyable = layout->smplOffset > 0 && !sm24 &&
                                   layout->smplOffset + layout->smplBytes <= at + 8 + size;
            } else if (type == "pdta") {
                file.seek(at + 12);
                const QByteArray body = file.read(size - 4);
                if (body.size() != size - 4) return nullptr;
                struct Part { const char* id; QByteArray* into; int recordSize; };
                const Part parts[] = {{"phdr", &layout->phdr, PhdrSize}, {"pbag", &layout->pbag, BagSize},
                                      {"pmod", &layout->pmod, ModSize},  {"pgen", &layout->pgen, GenSize},
                                      {"inst", &layout->inst, InstSize}, {"ibag", &layout->ibag, BagSize},
                                      {"imod", &layout->imod, ModSize},  {"igen", &layout->igen, GenSize},
                                      {"shdr", &layout->shdr, ShdrSize}};
                for (int p = 0; p + 8 <= body.size();) {
                    const qint64 csize = u32(body.constData() + p + 4);
                    if (p + 8 + csize > body.size()) return nullptr;
                    for (const Part& part : parts)
                        if (std::memcmp(body.constData() + p, part.id, 4) == 0)
                            *part.into = body.mid(p + 8, int(csize) - int(csize % part.recordSize));
                    p += 8 + int(csize) + int(csize & 1);
                }
                havePdta = true;
            }
        }
        at = next;
    }
    const Layout& l = *layout;
    // Every list must hold at least its terminal record, and the indexes must run forward.
    if (!haveSdta || !havePdta || l.count(l.phdr, PhdrSize) < 2 || l.count(l.inst, InstSize) < 1 ||
        l.count(l.shdr, ShdrSize) < 1 || l.count(l.pbag, BagSize) < 1 || l.count(l.ibag, BagSize) < 1)
        return nullptr;
    layout->head = riff.left(12) + info;
    for (int i = 0; i + 1 < l.count(l.phdr, PhdrSize); ++i) {
        const char* r = l.rec(l.phdr, PhdrSize, i);
        layout->presetIndex.emplace(Preset{u16(r + 22), u16(r + 20)}, i);
    }
    auto f = std::shared_ptr<Sf2File>(new Sf2File);
    f->path_ = path;
    f->layout_ = std::move(layout);
    return f;
}

std::set<Sf2File::Preset> Sf2File::presets() const {
    std::set<Preset> out;
    for (const auto& [p, i] : layout_->presetIndex) out.insert(p);
    return out;
}

bool Sf2File::hasPreset(const Preset& p) const { return layout_->presetIndex.count(p) > 0; }

QString Sf2File::subset(const std::set<Preset>& wanted, bool lazySamples) {
    const Layout& l = *layout_;
    const int presetCount = l.count(l.phdr, PhdrSize) - 1;
    const int pbags = l.count(l.pbag, BagSize), pgens = l.count(l.pgen, GenSize), pmods = l.count(l.pmod, ModSize);
    const int insts = l.count(l.inst, InstSize) - 1;
    const int ibags = l.count(l.ibag, BagSize), igens = l.count(l.igen, GenSize), imods = l.count(l.imod, ModSize);
    const int samples = l.count(l.shdr, ShdrSize) - 1;

    QByteArray phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;
    std::map<int, int> instIndex, sampleIndex;  // old -> new
    std::vector<int> instOrder, sampleOrder;

    auto useSample = [&](int s) {
        // A stereo pair's other half comes along, however long the chain of links.
        while (s >= 0 && s < samples && !sampleIndex.count(s)) {
            sampleIndex[s] = int(sampleOrder.size());
            sampleOrder.push_back(s);
            s = l.linkedSample(s);
        }
    };
    // Copies the zones [firstBag, endBag) with their generators and modulators, renumbering
    // the generator `indexGen` through `renumber`.
    auto copyZones = [&](const QByteArray& bags, const QByteArray& gens, const QByteArray& mods, int bagCount,
                         int genCount, int modCount, int firstBag, int endBag, QByteArray& outBags,
                         QByteArray& outGens, QByteArray& outMods, quint16 indexGen, const std::function<int(int)>& renumber) {
        for (int b = firstBag; b < endBag && b + 1 < bagCount; ++b) {
            outBags += bagRecord(outGens, outMods);
            const int g0 = l.index(bags, BagSize, b, 0), g1 = l.index(bags, BagSize, b + 1, 0);
            for (int g = g0; g < g1 && g < genCount; ++g) {
                QByteArray gen(l.rec(gens, GenSize, g), GenSize);
                if (u16(gen.constData()) == indexGen) {
                    const int to = renumber(u16(gen.constData() + 2));
                    if (to < 0) continue;
                    put16(gen, 2, quint16(to));
                }
                outGens += gen;
            }
            const int m0 = l.index(bags, BagSize, b, 2), m1 = l.index(bags, BagSize, b + 1, 2);
            for (int m = m0; m < m1 && m < modCount; ++m) outMods += QByteArray(l.rec(mods, ModSize, m), ModSize);
        }
    };

    for (int p = 0; p < presetCount; ++p) {
        const char* r = l.rec(l.phdr, PhdrSize, p);
        if (!wanted.count({u16(r + 22), u16(r + 20)})) continue;
        QByteArray rec(r, PhdrSize);
        put16(rec, 24, quint16(pbag.size() / BagSize));
        phdr += rec;
        copyZones(l.pbag, l.pgen, l.pmod, pbags, pgens, pmods, l.index(l.phdr, PhdrSize, p, 24),
                  l.index(l.phdr, PhdrSize, p + 1, 24), pbag, pgen, pmod, GenInstrument, [&](int i) {
                      if (i < 0 || i >= insts) return -1;
                      if (!instIndex.count(i)) {
                          instIndex[i] = int(instOrder.size());
                          instOrder.push_back(i);
                      }
                      return instIndex[i];
                  });
    }
    for (int i : instOrder) {
        QByteArray rec(l.rec(l.inst, InstSize, i), InstSize);
        put16(rec, 20, quint16(ibag.size() / BagSize));
        inst += rec;
        copyZones(l.ibag, l.igen, l.imod, ibags, igens, imods, l.index(l.inst, InstSize, i, 20),
                  l.index(l.inst, InstSize, i + 1, 20), ibag, igen, imod, GenSampleId, [&](int s) {
                      if (s < 0 || s >= samples) return -1;
                      useSample(s);
                      return sampleIndex[s];
                  });
    }
    for (int s : sampleOrder) {
        QByteArray rec(l.rec(l.shdr, ShdrSize, s), ShdrSize);
        const quint16 type = u16(rec.constData() + 44);
        const int link = u16(rec.constData() + 42);
        put16(rec, 42, quint16((type & 0x0E) && sampleIndex.count(link) ? sampleIndex[link] : 0));
        shdr += rec;
    }

    // The terminal records: indexes one past the last of each list.
    auto terminal = [](int size, const char* name) {
        QByteArray t(size, '\0');
        if (name) std::memcpy(t.data(), name, std::strlen(name));
        return t;
    };
    QByteArray eop = terminal(PhdrSize, "EOP");
    put16(eop, 24, quint16(pbag.size() / BagSize));
    phdr += eop;
    pbag += bagRecord(pgen, pmod);
    pmod += terminal(ModSize, nullptr);
    pgen += terminal(GenSize, nullptr);
    QByteArray eoi = terminal(InstSize, "EOI");
    put16(eoi, 20, quint16(ibag.size() / BagSize));
    inst += eoi;
    ibag += bagRecord(igen, imod);
    imod += terminal(ModSize, nullptr);
    igen += terminal(GenSize, nullptr);
    shdr += terminal(ShdrSize, "EOS");

    auto s = std::make_shared<Subset>();
    if (lazySamples && l.lazyable) {
        for (int i : sampleOrder) s->samples.insert(l.sampleDataAt(i));
        s->lazy = true;
    }
    s->original = path_;
    s->sdtaOffset = layout_->sdtaOffset;
    s->sdtaSize = layout_->sdtaSize;
    s->pdta = chunk("LIST", "pdta" + chunk("phdr", phdr) + chunk("pbag", pbag) + chunk("pmod", pmod) +
                                chunk("pgen", pgen) + chunk("inst", inst) + chunk("ibag", ibag) +
                                chunk("imod", imod) + chunk("igen", igen) + chunk("shdr", shdr));
    s->head = layout_->head;
    put32(s->head, 4, quint32(s->size() - 8));

    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const QString name = QLatin1String(SubsetScheme) + QString::number(r.next++);
    s->name = name;
    r.subsets[name] = s;
    return name;
}

void Sf2File::endLazyReading(const QString& name) {
    if (const std::shared_ptr<const Subset> s = findSubset(name)) s->lazy = false;
}

void Sf2File::forgetUnread(const QString& name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.unread.erase(name);
}

qint64 Sf2File::unreadBytes(const QString& name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    qint64 bytes = 0;
    auto it = r.unread.find(name);
    if (it != r.unread.end())
        for (const auto& [at, u] : it->second) bytes += u.bytes;
    return bytes;
}

void Sf2File::loadSamples(const QString& name, const std::vector<Note>& notes) const {
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.unread.find(name);
        if (it == r.unread.end() || it->second.empty()) return;
    }
    const Layout& l = *layout_;
    const int pbags = l.count(l.pbag, BagSize), pgens = l.count(l.pgen, GenSize);
    const int insts = l.count(l.inst, InstSize) - 1;
    const int ibags = l.count(l.ibag, BagSize), igens = l.count(l.igen, GenSize);
    const int samples = l.count(l.shdr, ShdrSize) - 1;
    struct Zone {
        int index = -1;  // the instrument or sample it plays; -1 for a global zone
        bool inside = true;
    };
    // The zone [gens g0, g1) for this key and velocity (ranges missing: the whole keyboard).
    auto zone = [&](const QByteArray& gens, int genCount, int g0, int g1, quint16 indexGen, int key, int velocity) {
        Zone z;
        for (int g = g0; g < g1 && g < genCount; ++g) {
            const char* gen = l.rec(gens, GenSize, g);
            const quint16 op = u16(gen);
            const int lo = quint8(gen[2]), hi = quint8(gen[3]);
            if (op == GenKeyRange && (key < lo || key > hi)) z.inside = false;
            if (op == GenVelRange && (velocity < lo || velocity > hi)) z.inside = false;
            if (op == indexGen) z.index = u16(gen + 2);
        }
        return z;
    };
    std::set<qint64> wanted;  // the data's offsets in the file
    auto addSample = [&](int s) {
        // A stereo pair's other half sounds with it.
        while (s >= 0 && s < samples && wanted.insert(l.sampleDataAt(s)).second) s = l.linkedSample(s);
    };
    for (const Note& n : notes) {
        // The preset FluidSynth falls back to when the one asked for is missing.
        auto found = l.presetIndex.find(n.preset);
        if (found == l.presetIndex.end()) found = l.presetIndex.find(n.drum ? Preset{128, 0} : Preset{0, n.preset.second});
        if (found == l.presetIndex.end() && !n.drum) found = l.presetIndex.find({0, 0});
        if (found == l.presetIndex.end()) continue;
        const int p = found->second;
        for (int b = l.index(l.phdr, PhdrSize, p, 24); b < l.index(l.phdr, PhdrSize, p + 1, 24) && b + 1 < pbags; ++b) {
            const Zone pz = zone(l.pgen, pgens, l.index(l.pbag, BagSize, b, 0), l.index(l.pbag, BagSize, b + 1, 0),
                                 GenInstrument, n.key, n.velocity);
            if (!pz.inside || pz.index < 0 || pz.index >= insts) continue;
            for (int ib = l.index(l.inst, InstSize, pz.index, 20);
                 ib < l.index(l.inst, InstSize, pz.index + 1, 20) && ib + 1 < ibags; ++ib) {
                const Zone iz = zone(l.igen, igens, l.index(l.ibag, BagSize, ib, 0), l.index(l.ibag, BagSize, ib + 1, 0),
                                     GenSampleId, n.key, n.velocity);
                if (iz.inside) addSample(iz.index);
            }
        }
    }
    if (!wanted.empty()) readUnread(name, &wanted);
}

void Sf2File::readUnread(const QString& name, const std::set<qint64>* only) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.unread.find(name);
    auto subset = r.subsets.find(name);
    if (it == r.unread.end() || subset == r.subsets.end()) return;
    const int fd = ::open(QFile::encodeName(subset->second->original).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;  // the samples stay silent, as a damaged file's would
    for (auto u = it->second.begin(); u != it->second.end();) {
        if (only && !only->count(u->first)) {
            ++u;
            continue;
        }
        readAt(fd, u->first, u->second.data, u->second.bytes);
        u = it->second.erase(u);
    }
    ::close(fd);
}

fluid_sfloader_t* Sf2File::newSubsetLoader(fluid_settings_t* settings) {
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
    if (loader) fluid_sfloader_set_callbacks(loader, cbOpen, cbRead, cbSeek, cbTell, cbClose);
    return loader;
}

QByteArray Sf2File::subsetBytes(const QString& name, qint64 offset, qint64 count) {
    const std::shared_ptr<const Subset> s = findSubset(name);
    if (!s || offset < 0 || count < 0 || offset + count > s->size()) return QByteArray();
    QByteArray out(int(count), '\0');
    FILE* original = fopen(QFile::encodeName(s->original).constData(), "rb");
    const bool ok = readSubset(*s, original, offset, out.data(), count);
    if (original) fclose(original);
    return ok ? out : QByteArray();
}

qint64 Sf2File::subsetSize(const QString& name) {
    const std::shared_ptr<const Subset> s = findSubset(name);
    return s ? s->size() : -1;
}

} // namespace platform
