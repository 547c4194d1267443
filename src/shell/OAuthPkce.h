#pragma once

#include <QByteArray>

// The proof key of RFC 7636: a random verifier and its S256 challenge, and the random state
// that ties a redirect to the sign-in that asked for it.
namespace OAuthPkce {
// 43 characters of base64url made from 32 random bytes.
QByteArray newVerifier();
// base64url(SHA-256(verifier)) without padding.
QByteArray challengeFor(const QByteArray &verifier);
QByteArray newState();
}
