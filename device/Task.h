#pragma once

// The task and configuration-notification faces the device manager carries for the host
// framework. Nothing in the plug-in drives a task or sends configuration notices; the shapes
// (and their slot order) are kept so that the manager can be owned and destroyed as an ITask.
class ITask {
public:
    virtual bool Initialize() = 0;
    virtual void Finalize() = 0;
    virtual bool Update() = 0;
    virtual void Draw() = 0;
    virtual void Activate() = 0;
    virtual void Deactivate() = 0;
    virtual bool IsFinished() = 0;
    virtual bool Tick() { return Update(); }
    virtual ~ITask() = default;
};

class INotifyUpdateConfig {
public:
    virtual void OnUpdateConfig(int what) = 0;
    virtual ~INotifyUpdateConfig() = default;
};
