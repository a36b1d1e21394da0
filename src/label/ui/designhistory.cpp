#include "designhistory.h"

#include "dcimage.h"
#include "dclabel.h"
#include "designio.h"
#include "units.h"

#include <QHash>

namespace {

constexpr const char* kDesignId = "DesignId";

TObjectState StateOf(const TdcComponent& c) {
    const auto* image = qobject_cast<const TdcImage*>(&c);
    return {.Properties = c.Properties(), .Geometry = c.geometry(), .Picture = image ? image->Bitmap() : QImage()};
}

void Apply(TdcComponent& c, const TObjectState& s, int from, int to) {
    c.SetProperties(s.Properties);
    if (auto* image = qobject_cast<TdcImage*>(&c)) image->SetPicture(s.Picture);
    c.setGeometry(Rescale(s.Geometry, from, to));
    c.UpdateHandles();
}

// One gesture of the user: the design before and after it.
class TDesignStep : public QUndoCommand {
public:
    TDesignStep(TDesignHistory& history, TDesignState before, TDesignState after, const QString& text, int mergeKey)
        : QUndoCommand(text), History(history), Before(std::move(before)), After(std::move(after)),
          MergeKey(mergeKey) {}

    // The change is already on the panel when the step is pushed.
    void redo() override {
        if (Done) History.Restore(After);
        Done = true;
    }
    void undo() override { History.Restore(Before); }
    int id() const override { return MergeKey == 0 ? -1 : 1; }
    bool mergeWith(const QUndoCommand* other) override {
        auto* next = static_cast<const TDesignStep*>(other);
        if (next->MergeKey != MergeKey) return false;
        After = next->After;
        // Typed back to where it started: no step at all.
        setObsolete(Before.SameDesign(After));
        return true;
    }

private:
    TDesignHistory& History;
    TDesignState Before;
    TDesignState After;
    int MergeKey;
    bool Done = false;
};

}  // namespace

bool TObjectState::operator==(const TObjectState& o) const {
    return Id == o.Id && Properties == o.Properties && Geometry == o.Geometry &&
           Picture.cacheKey() == o.Picture.cacheKey();
}

TDesignHistory::TDesignHistory(QWidget* panel, std::function<quint8()> scale, Hooks hooks, QObject* parent)
    : QObject(parent), Panel(panel), Scale(std::move(scale)), Callbacks(std::move(hooks)) {
    Stack.setUndoLimit(Limit);
}

int TDesignHistory::IdOf(TdcComponent* object) const {
    int id = object->property(kDesignId).toInt();
    if (id == 0) {
        id = ++LastId;
        object->setProperty(kDesignId, id);
    }
    return id;
}

TDesignState TDesignHistory::Capture() const {
    TDesignState s;
    s.Scale = Scale();
    s.Panel = Panel->size();
    for (TdcComponent* c : DesignObjects(Panel)) {
        TObjectState o = StateOf(*c);
        o.Id = IdOf(c);
        if (c->Select() && s.SelectedId == 0) s.SelectedId = o.Id;
        s.Objects.push_back(std::move(o));
    }
    return s;
}

void TDesignHistory::Restore(const TDesignState& state) {
    InRestore = true;
    const int from = state.Scale < 1 ? 1 : state.Scale;
    const int to = Scale();
    QHash<int, TdcComponent*> existing;
    for (TdcComponent* c : DesignObjects(Panel)) existing.insert(IdOf(c), c);

    Panel->resize(Rescale(state.Panel, from, to));
    std::vector<TdcComponent*> order;
    TdcComponent* selected = nullptr;
    for (const TObjectState& o : state.Objects) {
        TdcComponent* c = existing.take(o.Id);
        if (c && c->Properties().Kind != o.Properties.Kind) {
            existing.insert(o.Id, c);  // deleted below
            c = nullptr;
        }
        if (!c) {
            c = NewDesignObject(Panel, o.Properties.Kind, quint8(to));
            c->setProperty(kDesignId, o.Id);
            if (Callbacks.Adopt) Callbacks.Adopt(c);
        }
        Apply(*c, o, from, to);
        if (o.Id == state.SelectedId) selected = c;
        order.push_back(c);
    }
    for (TdcComponent* gone : std::as_const(existing)) delete gone;

    if (Callbacks.Select) Callbacks.Select(selected);
    // Selecting brings an object forward; the state's order wins.
    for (TdcComponent* c : order) c->raise();
    InRestore = false;
}

void TDesignHistory::Record(const TDesignState& before, const QString& text, int mergeKey) {
    TDesignState after = Capture();
    if (before.SameDesign(after)) return;
    Stack.push(new TDesignStep(*this, before, std::move(after), text, mergeKey));
}

void TDesignHistory::BeginGesture() {
    if (!Gesture) Gesture = Capture();
}

void TDesignHistory::EndGesture(const QString& text) {
    if (!Gesture) return;
    const TDesignState before = std::move(*Gesture);
    Gesture.reset();
    Record(before, text);
}

void TDesignHistory::Clear() {
    Gesture.reset();
    Stack.clear();
}
