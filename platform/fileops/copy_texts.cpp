#include "platform/fileops/copy_texts.h"

#include "platform/files/errors.h"

namespace fileops::texts {

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string with_reason(const std::string& what, int code)
{
    return what + "\n" + files::system_error_text(code) + ".";
}

std::string no_source() { return "Kopioitavaa ei ole annettu: lähteen nimi on tyhjä."; }

std::string no_destination() { return "Kohdekansiota ei ole annettu: kohteen nimi on tyhjä."; }

std::string source_missing(const std::string& shown, int code)
{
    return with_reason("Kohdetta " + quoted(shown) + " ei löydy.", code);
}

std::string no_match(const std::string& shown) { return "Mikään tiedosto ei vastaa nimeä " + quoted(shown) + "."; }

std::string destination_not_folder(const std::string& shown)
{
    return "Kohde " + quoted(shown) + " ei ole kansio.";
}

std::string destination_wildcard(const std::string& shown)
{
    return "Kohdekansion nimessä " + quoted(shown) + " ei voi olla merkkejä * tai ?.";
}

std::string into_itself(const std::string& shown)
{
    return "Kansiota " + quoted(shown) + " ei voi kopioida itseensä eikä omaan alikansioonsa.";
}

std::string ask_create(const std::string& shown)
{
    return "Kansiota " + quoted(shown) + " ei ole.\nLuodaanko se?";
}

std::string cannot_create_folder(const std::string& shown, int code)
{
    return with_reason("Kansiota " + quoted(shown) + " ei voi luoda.", code);
}

std::string ask_replace(const std::string& shown)
{
    return "Kohteessa on jo tiedosto " + quoted(shown) + ".\nKorvataanko se?";
}

std::string ask_merge(const std::string& shown)
{
    return "Kohteessa on jo kansio " + quoted(shown)
        + ".\nKopioidaanko kansion sisältö sen sekaan? Samannimisistä tiedostoista kysytään erikseen.";
}

std::string cannot_read_folder(const std::string& shown, int code)
{
    return with_reason("Kansiota " + quoted(shown) + " ei voi lukea.", code);
}

std::string cannot_copy(const std::string& shown, int code)
{
    return with_reason("Kohdetta " + quoted(shown) + " ei voi kopioida.", code);
}

std::string special_file(const std::string& shown)
{
    return "Kohde " + quoted(shown) + " on erikoistiedosto (nimetty putki, pistoke tai laite), eikä sitä kopioida.";
}

std::string changed(const std::string& shown)
{
    return "Kohde " + quoted(shown) + " muuttui kopioinnin aikana, eikä sitä kopioitu.";
}

std::string folder_over_file(const std::string& shown)
{
    return "Kohteessa on jo tiedosto " + quoted(shown) + ", joten samannimistä kansiota ei voi kopioida.";
}

std::string file_over_folder(const std::string& shown)
{
    return "Kohteessa on jo kansio " + quoted(shown) + ", joten samannimistä tiedostoa ei voi kopioida.";
}

std::string same_item(const std::string& shown)
{
    return "Kohdetta " + quoted(shown) + " ei voi kopioida itsensä päälle.";
}

std::string disk_full(const std::string& shown, int code)
{
    return with_reason("Kohdetta " + quoted(shown) + " ei voi kopioida.", code) + "\n" + stopping();
}

std::string stopping() { return "Kopiointi lopetetaan."; }

std::string ask_delete(const std::string& shown)
{
    return "Poistetaanko " + quoted(shown) + " pysyvästi?";
}

std::string unsupported_request() { return "Tiedostotoimintoa ei tueta."; }

std::string copying(const std::string& shown) { return "Kopioidaan: " + shown; }

} // namespace fileops::texts
