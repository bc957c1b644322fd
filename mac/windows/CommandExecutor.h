#pragma once

// The dock item commands of the paired devices (launch or activate, show in Finder, Trash, hide, quit,
// force quit, liveness): a value without state of its own, held by the service container and used by
// the server's sessions.

namespace tavelin {

class CommandExecutor {};

}  // namespace tavelin
