-- The site table, with the one column later versions added to it.
alter table SITES add column is_valid tinyint;
CREATE TABLE IF NOT EXISTS SITES (com_idx int, site_idx int, name varchar(40), sid varchar(40), floor_list varchar(200), map_path varchar(260), last_revision int, is_valid tinyint, PRIMARY KEY (com_idx, site_idx));
