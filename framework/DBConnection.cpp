// TCustomConnection: connecting and disconnecting with their events and the clients that
// follow the connection. A connection disconnects in BeforeDestruction, so that a descendant's
// DoDisconnect still runs.
#include "framework/DB.h"

#include <algorithm>

TCustomConnection::TCustomConnection(TComponent* AOwner) : TComponent(AOwner) {}

void TCustomConnection::BeforeDestruction() {
    // Free cannot let an exception out: a connection that fails to close is freed all the same.
    try {
        SetConnected(false);
    } catch (...) {
    }
    FClients.clear();
    TComponent::BeforeDestruction();
}

void TCustomConnection::SetConnected(bool Value) {
    if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
        FStreamedConnected = Value;
        return;
    }
    if (Value == GetConnected()) return;
    if (Value) {
        BeforeConnect(this);
        DoConnect();
        SendConnectEvent(true);
        AfterConnect(this);
    } else {
        BeforeDisconnect(this);
        SendConnectEvent(false);
        DoDisconnect();
        AfterDisconnect(this);
    }
}

void TCustomConnection::Loaded() {
    TComponent::Loaded();
    if (FStreamedConnected) SetConnected(true);
}

void TCustomConnection::SendConnectEvent(bool Connecting) {
    const std::vector<TClient> clients = FClients;
    for (const TClient& client : clients) client.Event(this, Connecting);
}

void TCustomConnection::RegisterClient(TObject* Client, const TConnectChangeEvent& Event) {
    FClients.push_back(TClient{Client, Event});
}

void TCustomConnection::UnRegisterClient(TObject* Client) {
    FClients.erase(std::remove_if(FClients.begin(), FClients.end(),
                                  [&](const TClient& c) { return c.Client == Client; }),
                   FClients.end());
}

int TCustomConnection::DataSetCount() const {
    return int(std::count_if(FClients.begin(), FClients.end(), [](const TClient& c) {
        return dynamic_cast<TDataSet*>(c.Client) != nullptr;
    }));
}

TDataSet* TCustomConnection::DataSets(int Index) const {
    for (const TClient& client : FClients)
        if (auto* dataSet = dynamic_cast<TDataSet*>(client.Client))
            if (Index-- == 0) return dataSet;
    DatabaseError(L"Dataset index out of range");
}
