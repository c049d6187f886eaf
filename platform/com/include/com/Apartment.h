// The client's single-threaded apartment: calls from a server into the client are posted
// here and run on the window thread, between window messages. The toolkit installs the poster
// when the application starts; until then (and in pure unit tests) posted calls wait in a
// queue that RunPending() drains.
#pragma once

#include <functional>

namespace com {

using ApartmentCall = std::function<void()>;
using ApartmentPoster = std::function<void(ApartmentCall)>;

void SetApartmentPoster(ApartmentPoster poster);
// Safe from any thread.
void PostToApartment(ApartmentCall call);
// Runs the calls queued while no poster was installed; returns how many ran.
int RunPendingApartmentCalls();

} // namespace com
