#pragma once
#include <string>

#include "join/JoinHost.h"

namespace velmora {

std::string supportEmailAddress();
std::string developerPageAddress();
std::string contactText();  // "Contact: " and the support address

// Probes the output and shows the success or the failure alert.
void showJoinResult(const std::string& outputPath, JoinHost& host);
void handleJoinResultResponse(int response, const std::string& outputPath, JoinHost& host);
// Asks for the store's rating prompt on every tenth launch.
void requestReviewIfDue(JoinHost& host);

}  // namespace velmora
