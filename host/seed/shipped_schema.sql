-- Tables the shipped catalogue carries in a wider form than the start-up statements create:
-- the site table with its business key, change date and home page.
CREATE TABLE SITES (com_idx int, site_idx int, name varchar(40), sid varchar(40), floor_list varchar(200), map_path varchar(260), last_revision int, is_valid tinyint, biz_key varchar(120), mod_date datetime, homepage varchar(200), PRIMARY KEY (com_idx, site_idx));
