#pragma once

class TDecoder;

// Decodes a Deflate member (method 8) through the decoder's input reader to its output.
// Damaged data is reported through the host's RaiseError (25111, 25138, 25253) and
// thrown; data that ends early stops quietly with every byte decoded so far written or
// left in the decoder's window for its final flush.
void Inflate(TDecoder& decoder);
