// A DDE server for tests, on a thread of its own: it takes conversations on one service and topic
// and answers every execute with a fixed acknowledgement, recording what it was sent.
#pragma once

#include "win/handle.h"

#include <windows.h>

#include <ddeml.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class DdeTestServer {
public:
    struct Execute {
        std::string data; // every byte of the data, terminating zero included
        int codePage = 0; // of the conversation, as the client asked for it
    };

    DdeTestServer(std::string service, std::string topic, DWORD answer)
        : service_(std::move(service)), topic_(std::move(topic)), answer_(answer),
          ready_(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        // A thread of the system's own: Winelib cannot serve Windows calls on a bare C++ thread.
        thread_.reset(::CreateThread(nullptr, 0, ServeThread, this, 0, &threadId_));
        const HANDLE waits[] = {ready_.get(), thread_.get()};
        if (thread_)
            ::WaitForMultipleObjects(2, waits, FALSE, 30000);
    }

    ~DdeTestServer() { Stop(); }
    DdeTestServer(const DdeTestServer&) = delete;
    DdeTestServer& operator=(const DdeTestServer&) = delete;

    // Whether the service was registered.
    bool Running() const { return running_; }

    // Ends the server; what it was sent, in order.
    std::vector<Execute> Stop()
    {
        if (thread_) {
            ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
            ::WaitForSingleObject(thread_.get(), INFINITE);
            thread_.reset();
        }
        return received_;
    }

private:
    std::string service_, topic_;
    DWORD answer_;
    win::UniqueHandle ready_;
    win::UniqueHandle thread_;
    DWORD threadId_ = 0;
    bool running_ = false;
    std::vector<Execute> received_;
    int codePage_ = 0;
    HSZ serviceHsz_ = nullptr, topicHsz_ = nullptr;
    // The server a DDE callback belongs to: the callback has no context of its own, and one server
    // runs at a time.
    static inline DdeTestServer* current_ = nullptr;

    static DWORD WINAPI ServeThread(void* self)
    {
        static_cast<DdeTestServer*>(self)->Serve();
        return 0;
    }

    void Serve()
    {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // WM_QUIT can be posted from here on
        current_ = this;
        win::DdeInstance instance;
        win::DdeString topic, service;
        if (::DdeInitializeA(instance.put(), Callback, APPCLASS_STANDARD | CBF_SKIP_ALLNOTIFICATIONS, 0) !=
            DMLERR_NO_ERROR)
            instance.release();
        if (instance) {
            service = win::CreateDdeString(instance.get(), service_.c_str());
            topic = win::CreateDdeString(instance.get(), topic_.c_str());
            serviceHsz_ = service.get().hsz;
            topicHsz_ = topic.get().hsz;
            running_ = service && topic && ::DdeNameService(instance.get(), serviceHsz_, nullptr, DNS_REGISTER);
        }
        ::SetEvent(ready_.get());
        while (running_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (running_)
            ::DdeNameService(instance.get(), service.get().hsz, nullptr, DNS_UNREGISTER);
        topicHsz_ = serviceHsz_ = nullptr;
        current_ = nullptr;
    }

    static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data, ULONG_PTR context,
                                      ULONG_PTR)
    {
        DdeTestServer* self = current_;
        if (!self)
            return nullptr;
        switch (type) {
        case XTYP_CONNECT: {
            if (::DdeCmpStringHandles(topic, self->topicHsz_) != 0 ||
                ::DdeCmpStringHandles(service, self->serviceHsz_) != 0)
                return nullptr;
            const CONVCONTEXT* asked = reinterpret_cast<const CONVCONTEXT*>(context);
            self->codePage_ = asked ? asked->iCodePage : 0;
            return reinterpret_cast<HDDEDATA>(TRUE);
        }
        case XTYP_EXECUTE: {
            Execute execute;
            execute.codePage = self->codePage_;
            execute.data.resize(::DdeGetData(data, nullptr, 0, 0));
            ::DdeGetData(data, reinterpret_cast<BYTE*>(execute.data.data()), static_cast<DWORD>(execute.data.size()),
                         0);
            self->received_.push_back(std::move(execute));
            return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(self->answer_));
        }
        default:
            return nullptr;
        }
    }
};

} // namespace testing_support
