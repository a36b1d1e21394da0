#pragma once
#include "layout.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <optional>
#include <vector>

class QWidget;
class TdcComponent;

// One object of the panel as the history keeps it: its properties whole, its
// place in pixels at the design scale of the moment, and a picture's image,
// so that an undone delete does not depend on the file.
struct TObjectState {
    int Id = 0;
    TObjectProperties Properties;
    QRect Geometry;
    QImage Picture;

    bool operator==(const TObjectState& o) const;
};

// The whole design: the label size and the objects in z-order. Which object
// is selected is kept to show it again, but is no change of the design.
struct TDesignState {
    quint8 Scale = 1;
    QSize Panel;
    std::vector<TObjectState> Objects;
    int SelectedId = 0;

    bool SameDesign(const TDesignState& o) const {
        return Scale == o.Scale && Panel == o.Panel && Objects == o.Objects;
    }
};

// Undo and redo of the designer. Every change of the design is recorded as
// the state before and after one gesture of the user (a whole drag, one
// property edit, a typed font size); undo and redo put a state back on the
// panel, keeping the objects that survive (and the pointers to them). A state
// recorded at another zoom is rescaled as the zoom itself rescales objects.
class TDesignHistory : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // A state recreated an object: give it the designer's handlers.
        std::function<void(TdcComponent*)> Adopt;
        // Select this object (or none) after a state was put back.
        std::function<void(TdcComponent*)> Select;
    };

    TDesignHistory(QWidget* panel, std::function<quint8()> scale, Hooks hooks, QObject* parent = nullptr);

    QUndoStack Stack;
    static constexpr int Limit = 500;

    TDesignState Capture() const;
    void Restore(const TDesignState& state);
    bool Restoring() const { return InRestore; }

    // Pushes the step from `before` to the state now, unless nothing
    // changed. Steps with the same `mergeKey` (not 0) follow each other as one.
    void Record(const TDesignState& before, const QString& text, int mergeKey = 0);

    // A drag: the state before its first step, recorded when it ends.
    void BeginGesture();
    void EndGesture(const QString& text);
    bool GestureOpen() const { return Gesture.has_value(); }

    // Forgets every step: the design on the panel is the saved one.
    void Clear();

private:
    int IdOf(TdcComponent* object) const;
    QWidget* Panel;
    std::function<quint8()> Scale;
    Hooks Callbacks;
    mutable int LastId = 0;
    bool InRestore = false;
    std::optional<TDesignState> Gesture;
};
