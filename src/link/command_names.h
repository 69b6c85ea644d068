// The commands by code, named as their exports are without "ecf" (0xD2
// VendaItem), for the wire trace and for tools that read it.
#pragma once

#include <cstdint>

namespace ecf::link {

// The name of a command code, 'n' (0x6E) for the free line; "unknown" for a
// code no export sends. Exports that send the same command share its name:
// the text and parameter forms of a query go by the text form's (StatusCupom),
// the cheques by the line they print (LinhaCheque). Where different commands
// share a code, the name lists every export, joined by '/':
// Venda_Item/VendaItem3d, CancItem/DescItem, Pagamento/PagCancPag,
// CabLoja/ProgHeader30.
const char* commandName(int32_t code);

}  // namespace ecf::link
