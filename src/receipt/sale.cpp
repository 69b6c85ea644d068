#include "sale.h"

#include "ecf.h"

using ecf::build;
using namespace ecf::receipt;

extern "C" {

int32_t ECF_API ecfVendaItem(const char* description, const char* price, int32_t rate_index) {
    return ecf::send(build<kVendaItem>(description, price, rate_index));
}

int32_t ECF_API ecfVendaItem78(const char* description, const char* price,
                               unsigned char rate_index) {
    return ecf::send(build<kVendaItem78>(description, price, rate_index));
}

int32_t ECF_API ecfVenda_Item(const char* item_code, const char* description,
                              const char* quantity_integer, const char* quantity_decimal,
                              const char* unit_price, unsigned char rate_index) {
    return ecf::send(build<kQuantityItem>(item_code, description, quantity_integer,
                                          quantity_decimal, "", "", unit_price, rate_index));
}

int32_t ECF_API ecfVendaItem3d(const char* item_code, const char* description,
                               const char* quantity_integer, const char* quantity_decimal,
                               const char* unit_price, unsigned char rate_index, const char* unit,
                               const char* flag) {
    return ecf::send(build<kQuantityItem>(item_code, description, quantity_integer,
                                          quantity_decimal, unit, flag, unit_price, rate_index));
}

}  // extern "C"
